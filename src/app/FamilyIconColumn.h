#pragma once

#include <QScrollArea>
#include <array>

#include "core/Cpuid.h"

class QToolButton;

namespace zandro {

// The white column of family pictures at the left of the main window: six flat buttons in one
// radio group, each with its hint.
class FamilyIconColumn : public QScrollArea {
    Q_OBJECT
public:
    explicit FamilyIconColumn(QWidget* parent = nullptr);

    QToolButton* button(FamilyKind kind) const { return m_buttons[size_t(kind)]; }
    // Scrolls the family's button into view, then to the family's own scroll position.
    void bringIntoView(FamilyKind kind);

signals:
    void familyClicked(int kind);

private:
    std::array<QToolButton*, kFamilyCount> m_buttons{};
};

}  // namespace zandro
