#include "SheetBuilder.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "EditBox.h"
#include "StatusPanel.h"

namespace zandro {

namespace {
const char* kRowProperty = "zandroRow";
const char* kColumnProperty = "zandroColumn";
constexpr int kColumns = 4;
}  // namespace

SheetBuilder::SheetBuilder(QWidget* sheet, bool scrolling) {
    auto* outer = new QVBoxLayout(sheet);
    outer->setContentsMargins(4, 4, 4, 4);
    if (!scrolling) {
        m_layout = outer;
    } else {
        auto* scroll = new QScrollArea(sheet);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* content = new QWidget;
        m_layout = new QVBoxLayout(content);
        m_layout->setContentsMargins(0, 0, 0, 0);
        scroll->setWidget(content);
        outer->setContentsMargins(0, 0, 0, 0);
        outer->addWidget(scroll);
    }
    m_layout->setSpacing(4);
}

QGroupBox* SheetBuilder::group(const QString& caption) {
    auto* box = new QGroupBox(caption);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(3);
    box->setProperty(kRowProperty, 0);
    box->setProperty(kColumnProperty, -1);
    m_layout->addWidget(box);
    return box;
}

QGridLayout* SheetBuilder::grid(QGroupBox* group) {
    return static_cast<QGridLayout*>(group->layout());
}

int SheetBuilder::nextRow(QGroupBox* group) {
    endRow(group);
    const int row = group->property(kRowProperty).toInt();
    group->setProperty(kRowProperty, row + 1);
    return row;
}

void SheetBuilder::endRow(QGroupBox* group) {
    if (group->property(kColumnProperty).toInt() >= 0) {
        group->setProperty(kColumnProperty, -1);
        group->setProperty(kRowProperty, group->property(kRowProperty).toInt() + 1);
    }
}

StatusPanel* SheetBuilder::status(QGroupBox* group, const QString& panelName,
                                  const QString& label) {
    const int row = nextRow(group);
    auto* panel = new StatusPanel(panelName);
    if (label.isEmpty()) {
        grid(group)->addWidget(panel, row, 0, 1, kColumns);
        return panel;
    }
    grid(group)->addWidget(new QLabel(label), row, 0);
    grid(group)->addWidget(panel, row, 1, 1, kColumns - 1);
    return panel;
}

QRadioButton* SheetBuilder::radio(QGroupBox* group, const QString& name, const QString& caption) {
    int column = group->property(kColumnProperty).toInt();
    if (column < 0 || column >= kColumns) {
        endRow(group);
        column = 0;
    }
    auto* button = new QRadioButton(caption);
    button->setObjectName(name);
    grid(group)->addWidget(button, group->property(kRowProperty).toInt(), column, 1, 2);
    group->setProperty(kColumnProperty, column + 2);
    return button;
}

QLabel* SheetBuilder::label(QGroupBox* group, const QString& text, const QString& name) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    grid(group)->addWidget(label, nextRow(group), 0, 1, kColumns);
    return label;
}

QComboBox* SheetBuilder::combo(QGroupBox* group, const QString& name, const QString& label) {
    const int row = nextRow(group);
    auto* box = new QComboBox;
    box->setObjectName(name);
    box->setMaxVisibleItems(15);
    grid(group)->addWidget(new QLabel(label), row, 0, 1, 2);
    grid(group)->addWidget(box, row, 2, 1, kColumns - 2);
    return box;
}

EditBox* SheetBuilder::edit(QGroupBox* group, const QString& name, const QString& label,
                            int maxLength) {
    const int row = nextRow(group);
    auto* box = new EditBox(name);
    box->setMaxLength(maxLength);
    grid(group)->addWidget(new QLabel(label), row, 0, 1, 3);
    grid(group)->addWidget(box, row, 3);
    return box;
}

QPushButton* SheetBuilder::button(QGroupBox* group, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    grid(group)->addWidget(button, nextRow(group), 0, 1, kColumns);
    return button;
}

void SheetBuilder::finish() {
    m_layout->addStretch(1);
}

}  // namespace zandro
