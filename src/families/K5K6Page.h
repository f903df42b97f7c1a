#pragma once

#include "FamilyPage.h"
#include "FrequencyControls.h"

namespace zandro {

class StatusPanel;

// The K5 and K6 page, one tab per processor.
class K5K6Page : public FamilyPage {
    Q_OBJECT
public:
    explicit K5K6Page(const PageContext& context, QWidget* parent = nullptr);

    void refreshStatus() override;
};

}  // namespace zandro
