#include "WrappingTabBar.h"

#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <algorithm>

namespace zandro {

WrappingTabBar::WrappingTabBar(QWidget* parent) : QTabBar(parent) {
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setExpanding(false);
    setDrawBase(false);
}

void WrappingTabBar::setWraps(bool wraps) {
    m_wraps = wraps;
    setUsesScrollButtons(!wraps);
    updateGeometry();
    update();
}

int WrappingTabBar::rowWidth() const {
    // The page control gives the bar its own width; before that is laid out, the parent's.
    if (parentWidget())
        return std::max(1, parentWidget()->width());
    return std::max(1, width());
}

int WrappingTabBar::rowHeight() const {
    int h = 0;
    for (int i = 0; i < count(); ++i)
        h = std::max(h, tabSizeHint(i).height());
    return h;
}

std::vector<std::vector<int>> WrappingTabBar::rows() const {
    std::vector<std::vector<int>> result;
    const int limit = rowWidth();
    int x = 0;
    for (int i = 0; i < count(); ++i) {
        const int w = tabSizeHint(i).width();
        if (result.empty() || (x > 0 && x + w > limit)) {
            result.emplace_back();
            x = 0;
        }
        result.back().push_back(i);
        x += w;
    }
    // The current tab's row moves next to the page; the rows keep their cyclic order.
    for (size_t r = 0; r < result.size(); ++r) {
        if (std::find(result[r].begin(), result[r].end(), currentIndex()) != result[r].end()) {
            std::rotate(result.begin(), result.begin() + long(r) + 1, result.end());
            break;
        }
    }
    return result;
}

std::vector<QRect> WrappingTabBar::tabRects() const {
    std::vector<QRect> rects(static_cast<size_t>(count()));
    const auto layout = rows();
    const int h = rowHeight();
    const int limit = rowWidth();
    for (size_t r = 0; r < layout.size(); ++r) {
        const auto& row = layout[r];
        int natural = 0;
        for (int i : row)
            natural += tabSizeHint(i).width();
        // Rows of a wrapped bar share the spare width out, so every row ends at the right edge.
        const int spare = layout.size() > 1 ? std::max(0, limit - natural) : 0;
        int x = 0;
        for (size_t k = 0; k < row.size(); ++k) {
            const int share = spare / int(row.size()) + (int(k) < spare % int(row.size()) ? 1 : 0);
            const int w = tabSizeHint(row[k]).width() + share;
            rects[size_t(row[k])] = QRect(x, int(r) * h, w, h);
            x += w;
        }
    }
    return rects;
}

int WrappingTabBar::rowCount() const {
    if (!m_wraps)
        return count() > 0 ? 1 : 0;
    return int(rows().size());
}

QRect WrappingTabBar::wrappedTabRect(int index) const {
    if (!m_wraps)
        return tabRect(index);
    if (index < 0 || index >= count())
        return {};
    return tabRects()[size_t(index)];
}

int WrappingTabBar::wrappedTabAt(const QPoint& pos) const {
    if (!m_wraps)
        return tabAt(pos);
    const auto rects = tabRects();
    for (size_t i = 0; i < rects.size(); ++i)
        if (rects[i].contains(pos))
            return int(i);
    return -1;
}

QSize WrappingTabBar::sizeHint() const {
    if (!m_wraps || count() == 0)
        return QTabBar::sizeHint();
    return {rowWidth(), rowCount() * rowHeight()};
}

QSize WrappingTabBar::minimumSizeHint() const {
    return m_wraps ? sizeHint() : QTabBar::minimumSizeHint();
}

void WrappingTabBar::paintEvent(QPaintEvent* event) {
    if (!m_wraps) {
        QTabBar::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    const auto layout = rows();
    const auto rects = tabRects();
    // The current tab last, so that its raised edge overlaps its neighbours.
    std::vector<int> order;
    for (const auto& row : layout)
        for (int i : row)
            if (i != currentIndex())
                order.push_back(i);
    if (currentIndex() >= 0)
        order.push_back(currentIndex());
    for (int i : order) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        option.rect = rects[size_t(i)];
        option.state.setFlag(QStyle::State_MouseOver, i == m_hover && isTabEnabled(i));
        for (const auto& row : layout) {
            const auto at = std::find(row.begin(), row.end(), i);
            if (at == row.end())
                continue;
            const bool first = at == row.begin(), last = at + 1 == row.end();
            option.position = first && last ? QStyleOptionTab::OnlyOneTab
                              : first       ? QStyleOptionTab::Beginning
                              : last        ? QStyleOptionTab::End
                                            : QStyleOptionTab::Middle;
            const bool currentInRow =
                std::find(row.begin(), row.end(), currentIndex()) != row.end();
            option.selectedPosition = QStyleOptionTab::NotAdjacent;
            if (currentInRow && at != row.begin() && *(at - 1) == currentIndex())
                option.selectedPosition = QStyleOptionTab::PreviousIsSelected;
            if (currentInRow && !last && *(at + 1) == currentIndex())
                option.selectedPosition = QStyleOptionTab::NextIsSelected;
        }
        painter.drawControl(QStyle::CE_TabBarTab, option);
    }
}

void WrappingTabBar::mousePressEvent(QMouseEvent* event) {
    if (!m_wraps) {
        QTabBar::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int index = wrappedTabAt(event->position().toPoint());
    if (index >= 0 && isTabEnabled(index)) {
        emit tabBarClicked(index);
        setCurrentIndex(index);
    }
    event->accept();
}

void WrappingTabBar::mouseMoveEvent(QMouseEvent* event) {
    if (!m_wraps) {
        QTabBar::mouseMoveEvent(event);
        return;
    }
    const int hover = wrappedTabAt(event->position().toPoint());
    if (hover != m_hover) {
        m_hover = hover;
        update();
    }
    event->accept();
}

void WrappingTabBar::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_wraps)
        QTabBar::mouseReleaseEvent(event);
    else
        event->accept();
}

void WrappingTabBar::leaveEvent(QEvent* event) {
    m_hover = -1;
    update();
    QTabBar::leaveEvent(event);
}

void WrappingTabBar::tabInserted(int index) {
    QTabBar::tabInserted(index);
    updateGeometry();
}

void WrappingTabBar::tabRemoved(int index) {
    QTabBar::tabRemoved(index);
    updateGeometry();
}

void WrappingTabBar::tabLayoutChange() {
    QTabBar::tabLayoutChange();
    update();
}

}  // namespace zandro
