#pragma once

#include "FamilyPage.h"
#include "FrequencyControls.h"

namespace zandro {

class StatusPanel;

// The Pentium III (P6) page: information, features and the level 2 cache.
class Pentium3Page : public FamilyPage {
    Q_OBJECT
public:
    explicit Pentium3Page(const PageContext& context, QWidget* parent = nullptr);

    void refreshStatus() override;
};

}  // namespace zandro
