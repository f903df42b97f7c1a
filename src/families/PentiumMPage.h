#pragma once

#include "FamilyPage.h"
#include "FrequencyControls.h"

namespace zandro {

class StatusPanel;

// The Pentium M page: information, features, level 2 cache, thermal monitor and frequency control.
class PentiumMPage : public FamilyPage {
    Q_OBJECT
public:
    explicit PentiumMPage(const PageContext& context, QWidget* parent = nullptr);

    void refreshStatus() override;
    void fillLists() override;

    FrequencyControls frequency;
    StatusPanel* PMobile_CurrentCoreClock = nullptr;
};

}  // namespace zandro
