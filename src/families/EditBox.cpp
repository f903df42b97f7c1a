#include "EditBox.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace zandro {

EditBox::EditBox(const QString& name, QWidget* parent) : QLineEdit(parent) {
    setObjectName(name);
}

bool EditBox::digitKeyAccepted(const QString& keyText) {
    if (keyText.size() != 1)
        return keyText.isEmpty();  // keys without a character pass
    const QChar c = keyText.at(0);
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QChar(8);
}

void EditBox::keyPressEvent(QKeyEvent* event) {
    // Delete carries a character on X11 but, like the arrows, edits rather than types.
    if (m_digitsOnly && event->key() != Qt::Key_Delete && !digitKeyAccepted(event->text())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void EditBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A pop-up (menu, completer) taking the focus is not leaving the box.
    if (event->reason() != Qt::PopupFocusReason)
        fireExit();
}

}  // namespace zandro
