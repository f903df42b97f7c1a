#include "Pentium3Page.h"

namespace zandro {

Pentium3Page::Pentium3Page(const PageContext& context, QWidget* parent)
    : FamilyPage(QStringLiteral("pgctrlIPIII"), FamilyPentium3, context, parent) {
    addSheet(QStringLiteral("P6_Information"), QStringLiteral("Information"));
    addSheet(QStringLiteral("P6_Features"), QStringLiteral("Features"));
    addSheet(QStringLiteral("P6_L2cache"), QStringLiteral("Level 2 Cache Info"));
    addSheet(QStringLiteral("P6_L2cacheConfig"), QStringLiteral("Level 2 Cache Configuration"));
    addSheet(QStringLiteral("P6_ErrorChecking"), QStringLiteral("Level 2 Cache Error Checking"));
}

// The statuses of this family are not decoded yet; the page shows its frame only.
void Pentium3Page::refreshStatus() {}

}  // namespace zandro
