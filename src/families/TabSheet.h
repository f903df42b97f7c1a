#pragma once

#include <QWidget>
#include <functional>

namespace zandro {

// One tab of a family page. Its show event fires when it comes to the front of a visible page,
// its exit event when it loses the front (the input focus leaves it).
class TabSheet : public QWidget {
    Q_OBJECT
public:
    TabSheet(const QString& name, const QString& caption, QWidget* parent = nullptr);

    const QString& caption() const { return m_caption; }
    std::function<void()> onShow;
    std::function<void()> onExit;

    void fireShow() {
        if (onShow)
            onShow();
    }
    void fireExit() {
        if (onExit)
            onExit();
    }

private:
    QString m_caption;
};

}  // namespace zandro
