#pragma once

#include <QGroupBox>
#include <QString>

class QVBoxLayout;
class QRadioButton;
class QLabel;
class QComboBox;
class QPushButton;
class QGridLayout;

namespace zandro {

class StatusPanel;
class EditBox;

// Lays out a tab sheet from top to bottom in the family-page pattern: group boxes holding a
// "Status:" label, a status panel and the option buttons.
class SheetBuilder {
public:
    explicit SheetBuilder(QWidget* sheet, bool scrolling = false);

    QGroupBox* group(const QString& caption);
    // A row "label  panel" in the group.
    StatusPanel* status(QGroupBox* group, const QString& panelName,
                        const QString& label = QStringLiteral("Status:"));
    QRadioButton* radio(QGroupBox* group, const QString& name, const QString& caption);
    QLabel* label(QGroupBox* group, const QString& text, const QString& name = {});
    QComboBox* combo(QGroupBox* group, const QString& name, const QString& label);
    EditBox* edit(QGroupBox* group, const QString& name, const QString& label, int maxLength);
    QPushButton* button(QGroupBox* group, const QString& name, const QString& caption);
    // Ends the radio-button row of the group so the next control starts a new line.
    void endRow(QGroupBox* group);
    void finish();

private:
    QGridLayout* grid(QGroupBox* group);
    int nextRow(QGroupBox* group);

    QVBoxLayout* m_layout;
};

}  // namespace zandro
