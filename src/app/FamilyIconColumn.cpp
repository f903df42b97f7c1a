#include "FamilyIconColumn.h"

#include <QButtonGroup>
#include <QScrollBar>
#include <QToolButton>

#include "FamilyIcons.h"

namespace zandro {

namespace {

struct FamilyButtonRow {
    const char* name;
    int top;
    const char* hint;
    int scrollPosition;
};

const std::array<FamilyButtonRow, kFamilyCount> kFamilyButtons = {{
    {"sbtnAthlon64", 5, "AMD K8 Family:\n - ClawHammer\n - SledgeHammer", 0},
    {"sbtnPentiumM", 115, "Intel Pentium M Family\n - Banias", 0},
    {"sbtnPentium4", 225,
     "Intel NetBurst Family:\n - Willamette\n - FosterMP\n - Northwood\n - Gallatin\n - Prescott",
     36},
    {"sbtnAthlon", 335,
     "AMD K7 Family\n - K7\n - K75\n - Spitfire\n - Thunderbird\n - Palomino\n - Morgan\n"
     " - Thoroughbred\n - Barton",
     164},
    {"sbtnPentium3", 445,
     "Intel P6 Family\n - P6\n - Klamath\n - Deschutes\n - Mendocino\n - Katmai\n - Coppermine\n"
     " - Cascades\n - Tualatin",
     292},
    {"sbtnK6", 555, "AMD K5 & K6 Families", 292},
}};

constexpr int kButtonSize = 105;
constexpr int kScrollRange = 663;

}  // namespace

FamilyIconColumn::FamilyIconColumn(QWidget* parent) : QScrollArea(parent) {
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
    content->setFixedSize(contentWidth, kScrollRange);

    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int kind = 0; kind < kFamilyCount; ++kind) {
        const FamilyButtonRow& row = kFamilyButtons[size_t(kind)];
        auto* button = new QToolButton(content);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setIcon(familyIcon(FamilyKind(kind)));
        button->setIconSize(QSize(96, 96));
        button->setGeometry((contentWidth - kButtonSize) / 2, row.top, kButtonSize, kButtonSize);
        button->setToolTip(QString::fromLatin1(row.hint));
        group->addButton(button, kind);
        m_buttons[size_t(kind)] = button;
        connect(button, &QToolButton::clicked, this, [this, kind] { emit familyClicked(kind); });
    }
    m_buttons[FamilyAthlon64]->setChecked(true);
    setWidget(content);
}

void FamilyIconColumn::bringIntoView(FamilyKind kind) {
    ensureWidgetVisible(button(kind));
    verticalScrollBar()->setValue(kFamilyButtons[size_t(kind)].scrollPosition);
}

}  // namespace zandro
