#pragma once

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
};

}  // namespace zandro
