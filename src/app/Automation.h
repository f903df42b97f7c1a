#pragma once

#include <QString>

class QWidget;

namespace zandro {

class TfrmMSR;

// The --do actions and the --report printout: what a script can do with the windows and read off
// them, by the controls' object names.
class Automation {
public:
    explicit Automation(TfrmMSR& window) : m_window(window) {}

    // Runs one action as a user would, firing the control's events. False with the reason when
    // no such control exists, it is disabled, or the action does not fit it.
    bool run(const QString& action, QString* why);

    // The report of the visible family page (see the automation contract).
    QString report() const;

    // One line per named control under root, in order, in the report's form.
    static QString controlLines(QWidget* root);

private:
    QWidget* find(const QString& name) const;

    TfrmMSR& m_window;
};

}  // namespace zandro
