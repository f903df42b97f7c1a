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

void StatusPanel::setColour(const QColor& colour) {
    m_colour = colour;
    setStyleSheet(QStringLiteral("font-weight: bold; color: rgb(%1, %2, %3);")
                      .arg(colour.red())
                      .arg(colour.green())
                      .arg(colour.blue()));
}

}  // namespace zandro
