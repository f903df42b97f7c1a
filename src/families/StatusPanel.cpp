#include "StatusPanel.h"

#include "core/MsrBuffer.h"

namespace zandro {

StatusPanel::StatusPanel(const QString& name, QWidget* parent, const QString& initial)
    : QLabel(initial, parent) {
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    setMinimumHeight(17);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusPanel::showRead(const MsrBuffer& msr, const QString& text) {
    setText(msr.holdsRead() ? text : QStringLiteral("---"));
}

}  // namespace zandro
