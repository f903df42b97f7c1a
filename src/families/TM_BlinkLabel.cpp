#include "TM_BlinkLabel.h"

namespace zandro {

TM_BlinkLabel::TM_BlinkLabel(QWidget* owner) : QLabel(owner), m_timer(new QTimer) {
    m_timer->setInterval(m_interval);
    connect(m_timer, &QTimer::timeout, this, [this] { BlinkTimerTick(); });
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setAttribute(Qt::WA_TranslucentBackground);
    setAlignment(Qt::AlignCenter);
}

TM_BlinkLabel::~TM_BlinkLabel() {
    delete m_timer;  // the timer goes before the label
}

void TM_BlinkLabel::setBlink(bool on) {
    if (on != m_blink) {
        m_blink = on;
        if (on)
            m_timer->start();
        else
            m_timer->stop();
    }
    // Switching blinking off always leaves the label shown.
    if (!m_timer->isActive())
        setVisible(true);
}

void TM_BlinkLabel::setBlinkInterval(int ms) {
    if (ms == m_interval)
        return;
    m_interval = ms;
    m_timer->setInterval(ms);
}

void TM_BlinkLabel::BlinkTimerTick() {
    DoBlink();
    setVisible(isHidden());
}

void TM_BlinkLabel::DoBlink() {
    if (OnBlink)
        OnBlink(this);
}

}  // namespace zandro
