#include "Automation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include "TfrmMSR.h"
#include "families/EditBox.h"
#include "families/FamilyPage.h"
#include "families/Messages.h"
#include "families/StatusPanel.h"
#include "families/TabSheet.h"

namespace zandro {

namespace {

QString joinedItems(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return QString::number(box->currentIndex()) + QLatin1Char(':') + items.join(QLatin1Char('|'));
}

// The kind and value of a control as the report shows them; an empty kind for anything else.
std::pair<QString, QString> describe(QWidget* w) {
    if (auto* panel = qobject_cast<StatusPanel*>(w))
        return {QStringLiteral("panel"), panel->text()};
    if (auto* label = qobject_cast<QLabel*>(w))
        return {QStringLiteral("label"), label->text()};
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return {QStringLiteral("edit"), edit->text()};
    if (auto* radio = qobject_cast<QRadioButton*>(w))
        return {QStringLiteral("radio"),
                radio->isChecked() ? QStringLiteral("1") : QStringLiteral("0")};
    if (auto* check = qobject_cast<QCheckBox*>(w))
        return {QStringLiteral("check"),
                check->isChecked() ? QStringLiteral("1") : QStringLiteral("0")};
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return {QStringLiteral("combo"), joinedItems(combo)};
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return {QStringLiteral("button"), button->text()};
    return {};
}

QString controlLine(QWidget* w, const QString& kind, const QString& value) {
    return w->objectName() + QLatin1Char('\t') + kind + QLatin1Char('\t') +
           (w->isEnabled() ? QLatin1Char('1') : QLatin1Char('0')) + QLatin1Char('\t') +
           Messages::escaped(value);
}

void collect(QWidget* parent, QStringList& lines) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w)
            continue;
        const QString name = w->objectName();
        const auto [kind, value] = describe(w);
        if (!kind.isEmpty()) {
            if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
                lines.append(controlLine(w, kind, value));
            // Controls are leaves, but for the named labels inside a status panel (the
            // blinking "Too High"), which follow their panel.
            if (kind == QLatin1String("panel"))
                collect(w, lines);
            continue;
        }
        collect(w, lines);
    }
}

void typeCharacter(QWidget* target, QChar c) {
    const QString text(c);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

}  // namespace

QString Automation::controlLines(QWidget* root) {
    QStringList lines;
    if (auto* page = qobject_cast<FamilyPage*>(root)) {
        for (TabSheet* sheet : page->sheets())
            collect(sheet, lines);
    } else {
        collect(root, lines);
    }
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString Automation::report() const {
    FamilyPage* page = m_window.visiblePage();
    QString out = QStringLiteral("page\t") + (page ? page->objectName() : QStringLiteral("none")) +
                  QLatin1Char('\n');
    const auto [kind, value] = describe(m_window.CPUSelect_Combo);
    out += controlLine(m_window.CPUSelect_Combo, kind, value) + QLatin1Char('\n');
    if (page)
        out += controlLines(page);
    else if (!m_window.lblNoFamilyPage->isHidden())
        out += controlLine(m_window.lblNoFamilyPage, QStringLiteral("label"),
                           m_window.lblNoFamilyPage->text()) +
               QLatin1Char('\n');
    return out;
}

QWidget* Automation::find(const QString& name) const {
    if (m_window.objectName() == name)
        return &m_window;
    if (auto* w = m_window.findControl(name))
        return w;
    // Windows opened from the main window (Configuration, About) are separate top levels.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        if (top->objectName() == name)
            return top;
        if (auto* w = top->findChild<QWidget*>(name))
            return w;
    }
    return nullptr;
}

bool Automation::run(const QString& action, QString* why) {
    const int colon = action.indexOf(QLatin1Char(':'));
    const QString verb = action.left(colon);
    const QString rest = action.mid(colon + 1);
    if (verb == QLatin1String("wait")) {
        QEventLoop loop;
        QTimer::singleShot(rest.toInt(), &loop, &QEventLoop::quit);
        loop.exec();
        return true;
    }
    const int eq = rest.indexOf(QLatin1Char('='));
    const QString name = eq >= 0 && verb != QLatin1String("click") &&
                                 verb != QLatin1String("leave") && verb != QLatin1String("tab")
                             ? rest.left(eq)
                             : rest;
    const QString argument = eq >= 0 ? rest.mid(eq + 1) : QString();
    QWidget* control = find(name);
    if (!control) {
        *why = QStringLiteral("no such control");
        return false;
    }
    if (!control->isEnabled()) {
        *why = QStringLiteral("control is disabled");
        return false;
    }
    if (verb == QLatin1String("click")) {
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (!button) {
            *why = QStringLiteral("not a button");
            return false;
        }
        // A window that the click opens must not wait for a person to close it, display or not:
        // the next actions are to reach its controls.
        const bool wasNonBlocking = Messages::nonBlockingDialogs();
        Messages::setNonBlockingDialogs(true);
        button->click();
        Messages::setNonBlockingDialogs(wasNonBlocking);
        return true;
    }
    if (verb == QLatin1String("select")) {
        auto* box = qobject_cast<QComboBox*>(control);
        const int index = argument.toInt();
        if (!box) {
            *why = QStringLiteral("not a drop-down list");
            return false;
        }
        if (index < -1 || index >= box->count()) {
            *why = QStringLiteral("no item %1").arg(index);
            return false;
        }
        box->setCurrentIndex(index);
        emit box->activated(index);
        return true;
    }
    if (verb == QLatin1String("text")) {
        auto* edit = qobject_cast<QLineEdit*>(control);
        if (!edit) {
            *why = QStringLiteral("not an edit box");
            return false;
        }
        edit->clear();
        for (QChar c : argument)
            typeCharacter(edit, c);
        return true;
    }
    if (verb == QLatin1String("leave")) {
        auto* edit = qobject_cast<EditBox*>(control);
        if (!edit) {
            *why = QStringLiteral("not an edit box");
            return false;
        }
        edit->fireExit();
        return true;
    }
    if (verb == QLatin1String("tab")) {
        auto* sheet = qobject_cast<TabSheet*>(control);
        FamilyPage* page = nullptr;
        for (QWidget* p = control->parentWidget(); p && !page; p = p->parentWidget())
            page = qobject_cast<FamilyPage*>(p);
        // The Global MSR window's tabs sit in a page control of its own.
        QTabWidget* tabs = page;
        for (QWidget* p = control->parentWidget(); p && !tabs; p = p->parentWidget())
            tabs = qobject_cast<QTabWidget*>(p);
        if (!sheet || !tabs) {
            *why = QStringLiteral("not a tab sheet");
            return false;
        }
        tabs->setCurrentWidget(sheet);
        return true;
    }
    *why = QStringLiteral("unknown action");
    return false;
}

}  // namespace zandro
