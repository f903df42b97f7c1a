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

    void fireExit() {
        if (onExit)
            onExit();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool m_digitsOnly = false;
};

}  // namespace zandro
