#pragma once

#include <QScrollArea>
#include <vector>

#include "core/Cpuid.h"

class QToolButton;

namespace zandro {

class FamilyRegistry;

// The white column of family pictures at the left of the main window: a flat button for each
// family of the registry, in one radio group, each with its hint.
class FamilyIconColumn : public QScrollArea {
    Q_OBJECT
public:
    // `families` must outlive the column.
    explicit FamilyIconColumn(const FamilyRegistry& families, QWidget* parent = nullptr);

    QToolButton* button(FamilyKind kind) const { return m_buttons[size_t(kind)]; }
    // Scrolls the family's button into view, then to the family's own scroll position.
    void bringIntoView(FamilyKind kind);

signals:
    void familyClicked(int kind);

private:
    const FamilyRegistry& m_families;
    std::vector<QToolButton*> m_buttons;
};

}  // namespace zandro
