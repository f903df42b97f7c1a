#pragma once

#include <QLineEdit>
#include <functional>

namespace zandro {

// An edit box with the exit event (the input focus leaves it) and an optional digits-only filter.
class EditBox : public QLineEdit {
    Q_OBJECT
public:
    explicit EditBox(const QString& name, QWidget* parent = nullptr);

    std::function<void()> onExit;
    void setDigitsOnly(bool on) { m_digitsOnly = on; }
    bool digitsOnly() const { return m_digitsOnly; }

    // The key filter of the stabilization boxes: digits 0 to 9 and backspace pass, every other
    // character is dropped.
    static bool digitKeyAccepted(const QString& keyText);

    // Runs the exit check once. A check that puts the focus back into its box takes the focus
    // from another box; that move is the check's doing, not the user's, so it starts no check.
    void fireExit();
    // True while an exit check runs (its warning and its focus move included).
    static bool exitCheckRunning();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_digitsOnly = false;
};

}  // namespace zandro
