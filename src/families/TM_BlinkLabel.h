#pragma once

#include <QLabel>
#include <QTimer>
#include <functional>

namespace zandro {

// A label that shows and hides itself every BlinkInterval milliseconds while Blink is on.
class TM_BlinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TM_BlinkLabel(QWidget* owner = nullptr);
    ~TM_BlinkLabel() override;

    bool Blink() const { return m_blink; }
    void setBlink(bool on);
    int BlinkInterval() const { return m_interval; }
    void setBlinkInterval(int ms);
    bool isBlinking() const { return m_timer->isActive(); }
    // The timer behind the blinking, for tests that fire it instead of waiting for it.
    QTimer* blinkTimer() const { return m_timer; }

    std::function<void(TM_BlinkLabel*)> OnBlink;

    // The timer's tick: first the blink notification, then the flip of visibility.
    virtual void BlinkTimerTick();

protected:
    virtual void DoBlink();

private:
    bool m_blink = false;
    int m_interval = 500;
    QTimer* m_timer;
};

}  // namespace zandro
