// The guides in docs/pages hold their register claims in tables with the columns "Control",
// "Register, bits" and "Panel shows", and optionally "Group" and "Profile" (the format is in
// docs/pages/README.md). This test does each row on a fresh simulated machine:
// - a row with controls clicks each button (whose caption must be the quoted text), picks the
//   quoted item of a list or types the quoted text into an edit box; the last write of the
//   register must then hold the fields, as a flushing write when the cell says "cache flush" and a
//   plain one otherwise ("—": nothing may be written). A single button first gets the fields the
//   other way round, so that its write has to change them;
// - a row without controls ("—") sets the fields in the register and shows the tab again.
// Then each named panel must show its text (its tab brought to the front when it is behind), and
// the first control, or the first panel of a status row, sit in the row's group box.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <optional>

#include "app/TfrmGlobalMSR.h"
#include "families/PageTestSupport.h"
#include "families/TabSheet.h"

namespace zandro {
namespace {

using test::GuiRig;
using test::sheetOf;

struct Field {
    unsigned high;
    unsigned low;
    uint64_t value;
    uint64_t mask() const {
        const unsigned width = high - low + 1;
        return (width >= 64 ? ~uint64_t(0) : (uint64_t(1) << width) - 1) << low;
    }
};

struct NamedText {
    QString name;
    QString text;
};

struct Claim {
    QString where;  // guide:line
    QString profile;
    QString group;
    std::vector<NamedText> controls;  // empty: a status row
    std::optional<uint32_t> index;    // empty: "—"
    std::vector<Field> fields;
    bool flushing = false;
    std::vector<NamedText> panels;
};

std::vector<NamedText> namedTexts(const QString& cell) {
    static const QRegularExpression item(QStringLiteral("`([A-Za-z0-9_]+)` \"([^\"]*)\""));
    std::vector<NamedText> items;
    for (auto it = item.globalMatch(cell); it.hasNext();) {
        const auto m = it.next();
        items.push_back({m.captured(1), m.captured(2)});
    }
    return items;
}

uint64_t number(const QString& text) {
    return text.endsWith(QLatin1Char('h')) ? text.chopped(1).toULongLong(nullptr, 16)
                                           : text.toULongLong();
}

// "1A0h bit 0 = 0, bit 24 = 0", "C001001Bh bit 6 = 1, bits 3..2 = 2, cache flush", "—".
bool parseRegister(const QString& cell, Claim& claim) {
    if (cell == QStringLiteral("—"))
        return true;
    static const QRegularExpression index(QStringLiteral("^([0-9A-F]+)h "));
    static const QRegularExpression field(
        QStringLiteral("bits? (\\d+)(?:\\.\\.(\\d+))? = ([0-9A-F]+h|\\d+)\\b"));
    const auto m = index.match(cell);
    if (!m.hasMatch())
        return false;
    claim.index = uint32_t(m.captured(1).toULong(nullptr, 16));
    for (auto it = field.globalMatch(cell); it.hasNext();) {
        const auto f = it.next();
        const unsigned high = f.captured(1).toUInt();
        const unsigned low = f.captured(2).isEmpty() ? high : f.captured(2).toUInt();
        claim.fields.push_back({high, low, number(f.captured(3))});
    }
    claim.flushing = cell.contains(QLatin1String("cache flush"));
    return !claim.fields.empty();
}

QStringList cells(const QString& line) {
    QStringList parts = line.trimmed().split(QLatin1Char('|'));
    parts.removeFirst();
    parts.removeLast();
    for (QString& part : parts)
        part = part.trimmed();
    return parts;
}

// Every row of every checked table of a guide; a row that cannot be read fails the test.
std::vector<Claim> readClaims(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    static const QRegularExpression profileLine(QStringLiteral("Profiles?: `([a-z0-9-]+)`"));
    const auto defaultProfile = profileLine.match(lines.join(QLatin1Char('\n')));
    QString profile = defaultProfile.hasMatch() ? defaultProfile.captured(1) : QString();
    std::vector<Claim> claims;
    for (int i = 0; i + 1 < lines.size(); ++i) {
        if (!lines[i].startsWith(QLatin1Char('|')) || !lines[i + 1].startsWith(QLatin1String("|-")))
            continue;
        const QStringList header = cells(lines[i]);
        const qsizetype control = header.indexOf(QStringLiteral("Control"));
        const qsizetype reg = header.indexOf(QStringLiteral("Register, bits"));
        const qsizetype panel = header.indexOf(QStringLiteral("Panel shows"));
        const qsizetype group = header.indexOf(QStringLiteral("Group"));
        const qsizetype profileColumn = header.indexOf(QStringLiteral("Profile"));
        if (control < 0 || reg < 0 || panel < 0)
            continue;
        QString lastGroup;
        for (i += 2; i < lines.size() && lines[i].startsWith(QLatin1Char('|')); ++i) {
            const QStringList row = cells(lines[i]);
            Claim claim;
            claim.where = QFileInfo(path).fileName() + QLatin1Char(':') + QString::number(i + 1);
            if (row.size() != header.size()) {
                ADD_FAILURE() << claim.where.toStdString() << ": " << row.size() << " cells";
                continue;
            }
            if (profileColumn >= 0 && !row[profileColumn].isEmpty())
                profile = QString(row[profileColumn]).remove(QLatin1Char('`'));
            if (group >= 0 && !row[group].isEmpty())
                lastGroup = row[group];
            claim.profile = profile;
            claim.group = group >= 0 ? lastGroup : QString();
            claim.controls = namedTexts(row[control]);
            claim.panels = namedTexts(row[panel]);
            const bool read = parseRegister(row[reg], claim);
            if (!read || claim.panels.empty() || claim.profile.isEmpty() ||
                (claim.controls.empty() && (row[control] != QStringLiteral("—") || !claim.index)))
                ADD_FAILURE() << claim.where.toStdString() << ": cannot read the row";
            else
                claims.push_back(claim);
        }
    }
    return claims;
}

QString withoutAccelerators(QString text) {
    return text.replace(QLatin1String("&&"), QLatin1String("\x01"))
        .remove(QLatin1Char('&'))
        .replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

QString hex(uint64_t value) {
    return QString::number(value, 16).toUpper() + QLatin1Char('h');
}

// The machine of one profile with its main window, and the Global MSR window once a row needs it.
class Machine {
public:
    explicit Machine(const QString& profile) : rig(profile.toStdString()) { started = rig.start(); }

    QWidget* find(const QString& name) {
        if (auto* w = rig.window->findChild<QWidget*>(name))
            return w;
        if (!global)
            global = rig.window->SpeedButton1Click();
        return global->findChild<QWidget*>(name);
    }

    // Brings the tab sheet holding w to the front, firing its show event even when it was in
    // front already (so its registers are read again), then lets the overheat watch fire.
    void showTabOf(QWidget* w) {
        if (TabSheet* sheet = sheetOf(w)) {
            auto* tabs = qobject_cast<QTabWidget*>(sheet->parentWidget()->parentWidget());
            if (tabs && tabs->currentWidget() == sheet && tabs->count() > 1) {
                const QString other = tabs->widget(tabs->currentIndex() == 0 ? 1 : 0)->objectName();
                rig.act(QStringLiteral("tab:") + other);
            }
            rig.act(QStringLiteral("tab:") + sheet->objectName());
        }
        rig.window->Overheating_timerTimer();
    }

    void setFields(uint32_t index, const std::vector<Field>& fields, bool opposite) {
        SimProcessor& cpu = rig.sim.machine.cpu(0);
        if (opposite && !cpu.msrs.count(index))
            return;  // a register the processor lacks stays lacking
        uint64_t value = cpu.msrs.count(index) ? cpu.msrs[index] : 0;
        for (const Field& f : fields) {
            const uint64_t wanted = (f.value << f.low) & f.mask();
            value = (value & ~f.mask()) | (opposite ? ~wanted & f.mask() : wanted);
        }
        cpu.msrs[index] = value;
    }

    GuiRig rig;
    bool started = false;
    TfrmGlobalMSR* global = nullptr;
};

// Does what the row's controls say; false with the reason when a control does not fit.
bool operate(Machine& machine, const Claim& claim, QString* why) {
    for (const NamedText& c : claim.controls) {
        QWidget* w = machine.find(c.name);
        if (!w) {
            *why = c.name + QStringLiteral(": no such control");
            return false;
        }
        QString action;
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (withoutAccelerators(button->text()) != c.text) {
                *why = c.name + QStringLiteral(" reads \"%1\"").arg(button->text());
                return false;
            }
            action = QStringLiteral("click:") + c.name;
        } else if (auto* box = qobject_cast<QComboBox*>(w)) {
            const int item = box->findText(c.text);
            if (item < 0) {
                *why = c.name + QStringLiteral(" has no item \"%1\"").arg(c.text);
                return false;
            }
            action = QStringLiteral("select:%1=%2").arg(c.name).arg(item);
        } else if (qobject_cast<QLineEdit*>(w)) {
            action = QStringLiteral("text:%1=%2").arg(c.name, c.text);
        } else {
            *why = c.name + QStringLiteral(" is no button, list or edit box");
            return false;
        }
        QString refused;
        if (!machine.rig.tryAct(action, &refused)) {
            *why = action + QStringLiteral(": ") + refused;
            return false;
        }
    }
    machine.rig.window->Overheating_timerTimer();
    return true;
}

// What the last write of the claim's register did, against the claim; empty when it fits.
QString checkWrite(const Claim& claim, const QStringList& trace) {
    static const QRegularExpression write(
        QStringLiteral("^\\d+ (wrmsr|wrmsr-wbinvd) ([0-9a-f]+) ([0-9a-f]{16})( FAIL)?$"));
    std::optional<QRegularExpressionMatch> last;
    for (const QString& line : trace) {
        const auto m = write.match(line);
        if (m.hasMatch() && (!claim.index || m.captured(2).toUInt(nullptr, 16) == *claim.index))
            last = m;
    }
    if (!claim.index)
        return last ? QStringLiteral("wrote ") + last->captured(0) : QString();
    if (!last)
        return QStringLiteral("no write of ") + hex(*claim.index);
    if (!last->captured(4).isEmpty())
        return QStringLiteral("the write failed: ") + last->captured(0);
    if ((last->captured(1) == QLatin1String("wrmsr-wbinvd")) != claim.flushing)
        return QStringLiteral("written as ") + last->captured(1);
    const uint64_t value = last->captured(3).toULongLong(nullptr, 16);
    QStringList wrong;
    for (const Field& f : claim.fields) {
        const uint64_t got = (value & f.mask()) >> f.low;
        if (got != f.value)
            wrong.append(QStringLiteral("bits %1..%2 = %3").arg(f.high).arg(f.low).arg(hex(got)));
    }
    return wrong.isEmpty() ? QString() : QStringLiteral("wrote ") + wrong.join(QLatin1String(", "));
}

QString groupTitle(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto* box = qobject_cast<QGroupBox*>(p))
            return box->title().trimmed();
    }
    return {};
}

TEST(GuideClaimsTest, EveryRowOfEveryGuideTableHoldsOnTheSimulatedMachine) {
    const QDir pages(QStringLiteral(ZANDRO_SOURCE_DIR "/docs/pages"));
    const QStringList guides = pages.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(guides.isEmpty());
    int checked = 0;
    for (const QString& guide : guides) {
        for (const Claim& claim : readClaims(pages.filePath(guide))) {
            SCOPED_TRACE(claim.where.toStdString());
            ++checked;
            // Each row on a machine of its own, so that it holds whatever the rows above did.
            const auto machine = std::make_unique<Machine>(claim.profile);
            ASSERT_TRUE(machine->started);
            QWidget* firstPanel = machine->find(claim.panels.front().name);
            if (!firstPanel) {
                ADD_FAILURE() << claim.panels.front().name.toStdString() << ": no such panel";
                continue;
            }
            if (claim.controls.empty()) {
                machine->setFields(*claim.index, claim.fields, false);
                machine->showTabOf(firstPanel);
            } else {
                // A single button gets the fields the other way first, so that the write has to
                // change them; a list or edit box and its button (a transition, a "Set") start
                // from the profile's own register, which they read to compute what they write.
                if (claim.index && claim.controls.size() == 1)
                    machine->setFields(*claim.index, claim.fields, true);
                if (QWidget* first = machine->find(claim.controls.front().name))
                    machine->showTabOf(first);
                machine->rig.takeTrace();
                QString why;
                if (!operate(*machine, claim, &why)) {
                    ADD_FAILURE() << why.toStdString();
                    continue;
                }
                const QString wrong = checkWrite(claim, machine->rig.takeTrace());
                EXPECT_TRUE(wrong.isEmpty()) << wrong.toStdString();
            }
            for (const NamedText& p : claim.panels) {
                auto* label = qobject_cast<QLabel*>(machine->find(p.name));
                if (!label) {
                    ADD_FAILURE() << p.name.toStdString() << ": no such panel";
                    continue;
                }
                // A panel on a tab behind is looked at by bringing its tab to the front.
                TabSheet* sheet = sheetOf(label);
                auto* tabs = sheet
                                 ? qobject_cast<QTabWidget*>(sheet->parentWidget()->parentWidget())
                                 : nullptr;
                if (tabs && tabs->currentWidget() != sheet)
                    machine->showTabOf(label);
                EXPECT_EQ(label->text().toStdString(), p.text.toStdString())
                    << p.name.toStdString();
            }
            // The group of the first control, or of the first panel of a status row.
            QWidget* grouped =
                claim.controls.empty() ? firstPanel : machine->find(claim.controls.front().name);
            if (!claim.group.isEmpty() && grouped) {
                EXPECT_EQ(groupTitle(grouped).toStdString(), claim.group.toStdString());
            }
        }
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace zandro
