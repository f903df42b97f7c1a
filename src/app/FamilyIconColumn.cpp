#include "FamilyIconColumn.h"

#include <QButtonGroup>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "FamilyIcons.h"
#include "families/FamilyRegistry.h"

namespace zandro {

namespace {

constexpr int kButtonSize = 105;
constexpr int kBottomMargin = 3;

// The lowest button's bottom and the margin below it.
int contentHeight(const FamilyRegistry& families) {
    int height = 0;
    for (const FamilyEntry& family : families.entries())
        height = std::max(height, family.button.top + kButtonSize + kBottomMargin);
    return height;
}

}  // namespace

FamilyIconColumn::FamilyIconColumn(const FamilyRegistry& families, QWidget* parent)
    : QScrollArea(parent), m_families(families) {
    setObjectName(QStringLiteral("Ikony_ScrollBox"));
    setGeometry(5, 30, 136, 372);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* content = new QWidget;
    content->setAutoFillBackground(true);
    QPalette white = content->palette();
    white.setColor(QPalette::Window, Qt::white);
    content->setPalette(white);
    setPalette(white);
    const int contentWidth = 136 - 2 - verticalScrollBar()->sizeHint().width();
    content->setFixedSize(contentWidth, contentHeight(families));

    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (const FamilyEntry& family : families.entries()) {
        const FamilyButton& row = family.button;
        const int kind = family.kind;
        auto* button = new QToolButton(content);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setIcon(familyIcon(family.icon));
        button->setIconSize(QSize(96, 96));
        button->setGeometry((contentWidth - kButtonSize) / 2, row.top, kButtonSize, kButtonSize);
        button->setToolTip(QString::fromLatin1(row.hint));
        group->addButton(button, kind);
        m_buttons.push_back(button);
        connect(button, &QToolButton::clicked, this, [this, kind] { emit familyClicked(kind); });
    }
    m_buttons.front()->setChecked(true);
    setWidget(content);
}

void FamilyIconColumn::bringIntoView(FamilyKind kind) {
    ensureWidgetVisible(button(kind));
    verticalScrollBar()->setValue(m_families.entry(kind).button.scrollPosition);
}

}  // namespace zandro
