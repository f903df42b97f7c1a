#pragma once

#include "FamilyPage.h"
#include "FrequencyControls.h"

namespace zandro {

class StatusPanel;
class EditBox;

// The Athlon (K7) page: information, low power modes, features and frequency control.
class K7Page : public FamilyPage {
    Q_OBJECT
public:
    explicit K7Page(const PageContext& context, QWidget* parent = nullptr);

    void refreshStatus() override;
    void fillLists() override;

    FrequencyControls frequency;
    StatusPanel* K7_CurrentCoreClock = nullptr;
    EditBox* K7_StopGrantCyclesBox = nullptr;
};

}  // namespace zandro
