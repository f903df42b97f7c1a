#pragma once

#include <QTabBar>
#include <vector>

namespace zandro {

// A tab bar that puts the tabs that do not fit on further rows instead of scrolling them, as the
// page sizes expect. The row holding the current tab sits next to the page; each row of several
// is stretched to the full width. With wrapping off it is a plain QTabBar.
class WrappingTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit WrappingTabBar(QWidget* parent = nullptr);

    void setWraps(bool wraps);
    bool wraps() const { return m_wraps; }

    int rowCount() const;
    // Where tab index is drawn and where it takes clicks, in the bar's coordinates.
    QRect wrappedTabRect(int index) const;
    int wrappedTabAt(const QPoint& pos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;
    void tabLayoutChange() override;

private:
    // The tab indexes of each row, in index order, rows top to bottom as drawn.
    std::vector<std::vector<int>> rows() const;
    std::vector<QRect> tabRects() const;
    int rowWidth() const;
    int rowHeight() const;

    bool m_wraps = true;
    int m_hover = -1;
};

}  // namespace zandro
