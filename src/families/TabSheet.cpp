#include "TabSheet.h"

namespace zandro {

TabSheet::TabSheet(const QString& name, const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption) {
    setObjectName(name);
}

}  // namespace zandro
