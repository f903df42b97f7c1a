#include "FamilyPage.h"

#include <QStackedWidget>
#include <algorithm>

#include "EditBox.h"
#include "StatusPanel.h"
#include "WrappingTabBar.h"

namespace zandro {

namespace {

// Keyboard focus runs from the tab bar through the sheet's controls top to bottom, then left to
// right, whatever order the page created them in.
void orderFocusTopToBottom(QWidget* first, QWidget* sheet) {
    std::vector<std::pair<QPoint, QWidget*>> controls;
    for (QWidget* w : sheet->findChildren<QWidget*>())
        if (w->focusPolicy() & Qt::TabFocus)
            controls.emplace_back(w->mapTo(sheet, QPoint(0, 0)), w);
    std::stable_sort(controls.begin(), controls.end(), [](const auto& a, const auto& b) {
        return a.first.y() != b.first.y() ? a.first.y() < b.first.y() : a.first.x() < b.first.x();
    });
    QWidget* previous = first;
    for (const auto& [where, w] : controls) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

}  // namespace

FamilyPage::FamilyPage(const QString& name, FamilyKind kind, const PageContext& context,
                       QWidget* parent)
    : QTabWidget(parent), m_kind(kind), m_context(context) {
    setObjectName(name);
    setTabBar(new WrappingTabBar(this));
    setFixedSize(306, 375);
    // The page gives its sheet area a place when it shows; left unsized, the area would first be
    // sized to the largest sheet, laying out the texts of every hidden sheet for nothing.
    if (auto* area = findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly))
        area->setAttribute(Qt::WA_Resized);
    tabBar()->setMouseTracking(true);  // hot-tracking tabs
    hide();
    connect(this, &QTabWidget::currentChanged, this, &FamilyPage::onCurrentChanged);
}

void FamilyPage::ensureBuilt() {
    if (m_built)
        return;
    m_built = true;
    buildSheets();
    for (const auto& [kept, text] : m_keptTexts)
        setKeptText(*kept, text);
    m_keptTexts.clear();
    if (m_keptLists)
        std::exchange(m_keptLists, nullptr)();
    if (!m_coreClock.isEmpty())
        setCoreClockText(m_coreClock);
    if (m_overheat)
        showOverheat(*m_overheat);
}

QString FamilyPage::keptText(const KeptText& kept) const {
    if (m_built)
        return findChild<EditBox*>(QLatin1String(kept.box))->text();
    for (const auto& [which, text] : m_keptTexts) {
        if (which == &kept)
            return text;
    }
    return QLatin1String(kept.initial);
}

void FamilyPage::setKeptText(const KeptText& kept, const QString& text) {
    if (m_built) {
        findChild<EditBox*>(QLatin1String(kept.box))->setText(text);
        return;
    }
    for (auto& [which, waiting] : m_keptTexts) {
        if (which == &kept) {
            waiting = text;
            return;
        }
    }
    m_keptTexts.emplace_back(&kept, text);
}

void FamilyPage::setCoreClockText(const QString& text) {
    m_coreClock = text;
    if (StatusPanel* panel = m_built ? coreClockPanel() : nullptr)
        panel->setText(text);
}

void FamilyPage::showOverheat(const OverheatReading& reading) {
    m_overheat = reading;
    if (!m_built)
        return;
    for (ThermalMonitorTab* tab : findChildren<ThermalMonitorTab*>())
        tab->showOverheat(reading);
}

void FamilyPage::setTabsWrap(bool wrap) {
    static_cast<WrappingTabBar*>(tabBar())->setWraps(wrap);
}

bool FamilyPage::tabsWrap() const {
    return static_cast<const WrappingTabBar*>(tabBar())->wraps();
}

TabSheet* FamilyPage::addSheet(const QString& name, const QString& caption) {
    auto* sheet = new TabSheet(name, caption);
    m_sheets.push_back(sheet);
    addTab(sheet, caption);
    if (m_current < 0)
        m_current = currentIndex();
    return sheet;
}

void FamilyPage::makeFrequencyControlTab(TabSheet* sheet) {
    sheet->onShow = [this] {
        m_context.host.setFrequencyTimer(true);
        refreshStatus();
    };
    sheet->onExit = [this] { m_context.host.setFrequencyTimer(false); };
}

void FamilyPage::setShown(bool shown) {
    if (shown == m_shown) {
        setVisible(shown);
        return;
    }
    if (!shown && m_current >= 0)
        m_sheets[size_t(m_current)]->fireExit();
    if (shown)
        ensureBuilt();
    m_shown = shown;
    setVisible(shown);
    if (shown)
        pageShown();
    if (shown && m_current >= 0) {
        orderFocusTopToBottom(tabBar(), m_sheets[size_t(m_current)]);
        m_sheets[size_t(m_current)]->fireShow();
    }
}

void FamilyPage::onCurrentChanged(int index) {
    const int previous = m_current;
    m_current = index;
    if (!m_shown || index < 0)
        return;
    // The sheet that loses the front gets its exit event before the new one is shown.
    if (previous >= 0 && previous != index)
        m_sheets[size_t(previous)]->fireExit();
    orderFocusTopToBottom(tabBar(), m_sheets[size_t(index)]);
    m_sheets[size_t(index)]->fireShow();
}

}  // namespace zandro
