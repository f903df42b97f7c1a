#include "K5K6Page.h"

namespace zandro {

K5K6Page::K5K6Page(const PageContext& context, QWidget* parent)
    : FamilyPage(QStringLiteral("pgctrlK6"), FamilyK5K6, context, parent) {
    addSheet(QStringLiteral("K5_Features"), QStringLiteral("K5 Processor"));
    addSheet(QStringLiteral("K6_Features"), QStringLiteral("K6 Processor"));
}

// The statuses of this family are not decoded yet; the page shows its frame only.
void K5K6Page::refreshStatus() {}

}  // namespace zandro
