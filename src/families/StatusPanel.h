#pragma once

#include <QColor>
#include <QLabel>

namespace zandro {

class MsrBuffer;

// A lowered text panel showing one decoded status; "---" until first filled.
class StatusPanel : public QLabel {
    Q_OBJECT
public:
    explicit StatusPanel(const QString& name, QWidget* parent = nullptr,
                         const QString& initial = QStringLiteral("---"));

    // Shows the text decoded from the register in the buffer, or "---" when that register
    // could not be read: zeros that were never read are no state to show.
    void showRead(const MsrBuffer& msr, const QString& text);

    // Bold text in `colour`: the transition report's state, the overheat and sensor readings.
    void setColour(const QColor& colour);
    // The colour last set; invalid while the panel has its plain text.
    QColor colour() const { return m_colour; }

private:
    QColor m_colour;
};

}  // namespace zandro
