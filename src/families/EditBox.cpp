#include "EditBox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

namespace zandro {

namespace {
bool g_exitCheckRunning = false;  // one window thread: a plain flag is enough
}  // namespace

bool EditBox::exitCheckRunning() {
    return g_exitCheckRunning;
}

void EditBox::fireExit() {
    if (!onExit || g_exitCheckRunning)
        return;
    g_exitCheckRunning = true;
    struct Clear {
        ~Clear() { g_exitCheckRunning = false; }
    } clear;
    onExit();
}

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
    // Leaving means the focus moving to another control of this window: not a pop-up taking it,
    // not the window losing activation or closing (the focus then goes nowhere in this window).
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return;
    const QWidget* next = QApplication::focusWidget();
    if (!next || next == this || next->window() != window())
        return;
    fireExit();
}

}  // namespace zandro
