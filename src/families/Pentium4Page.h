#pragma once

#include "FamilyPage.h"
#include "FrequencyControls.h"

namespace zandro {

class StatusPanel;
class ThermalMonitorTab;

// The Pentium 4 (NetBurst) page: information, error checking, features, thermal monitor and
// frequency control.
class Pentium4Page : public FamilyPage {
    Q_OBJECT
public:
    explicit Pentium4Page(const PageContext& context, QWidget* parent = nullptr);

    void refreshStatus() override;
    void fillLists() override;

    FrequencyControls frequency;
    StatusPanel* NetBurst_CurrentCoreClock = nullptr;
    ThermalMonitorTab* thermalTab = nullptr;
};

}  // namespace zandro
