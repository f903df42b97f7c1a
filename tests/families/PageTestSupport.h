#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QRegularExpression>
#include <QStringList>
#include <utility>
#include <vector>

#include "GuiFixture.h"
#include "families/FamilyPage.h"
#include "families/StatusPanel.h"

namespace zandro::test {

// The text of a status panel, or a marker naming the missing one.
inline QString panelText(const StatusPanel* panel, const QString& name) {
    return panel ? panel->text() : QStringLiteral("<missing %1>").arg(name);
}

// The same for a panel of the main window, and for one of another window.
inline QString panelText(GuiRig& rig, const QString& name) {
    return panelText(rig.control<StatusPanel>(name), name);
}
inline QString panelText(GuiRig& rig, const char* name) {
    return panelText(rig, QLatin1String(name));
}
inline QString panelText(const QWidget* window, const char* name) {
    return panelText(window->findChild<StatusPanel*>(QLatin1String(name)), QLatin1String(name));
}

// Whether the named control exists and is enabled.
inline bool enabled(GuiRig& rig, const char* name) {
    auto* w = rig.control<QWidget>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w && w->isEnabled();
}

// The tab sheet that holds a control, or null.
inline TabSheet* sheetOf(QWidget* control) {
    for (QWidget* w = control; w; w = w->parentWidget()) {
        if (auto* sheet = qobject_cast<TabSheet*>(w))
            return sheet;
    }
    return nullptr;
}

// Picks the item of that text from a drop-down list, as the user would.
inline void chooseText(GuiRig& rig, const char* combo, const QString& text) {
    auto* box = rig.control<QComboBox>(QLatin1String(combo));
    ASSERT_NE(box, nullptr) << combo;
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    rig.act(QStringLiteral("select:%1=%2").arg(QLatin1String(combo)).arg(index));
}

// The colour a transition report panel shows its text in.
inline QColor reportColour(const StatusPanel* panel) {
    return panel->colour();
}

// The AMD FID/VID status register C0010042h from its fields, the startup values equal to the
// current ones.
inline uint64_t fidVidStatus(unsigned fid, unsigned vid, unsigned maxFid, unsigned maxVid) {
    return (uint64_t(maxVid) << 48) | (uint64_t(vid) << 40) | (uint64_t(vid) << 32) |
           (uint64_t(maxFid) << 16) | (uint64_t(fid) << 8) | fid;
}

// The first capture of pattern in each trace line that matches it.
inline QStringList matching(const QStringList& trace, const QString& pattern) {
    QStringList found;
    const QRegularExpression expression(pattern);
    for (const QString& line : trace) {
        const auto m = expression.match(line);
        if (m.hasMatch())
            found.append(m.captured(1));
    }
    return found;
}

// The register accesses of a trace as "r 2c" / "w 1a0" / "f 2b" (write with flushing).
inline QStringList accesses(const QStringList& trace) {
    QStringList list;
    static const QRegularExpression access(
        QStringLiteral("^\\d+ (rdmsr|wrmsr|wrmsr-wbinvd) ([0-9a-f]+) "));
    for (const QString& line : trace) {
        const auto m = access.match(line);
        if (!m.hasMatch())
            continue;
        const QString kind = m.captured(1);
        list.append((kind == "rdmsr" ? "r " : kind == "wrmsr" ? "w " : "f ") + m.captured(2));
    }
    return list;
}

// The register writes of a trace as "wrmsr 1a0 0000000000011488", processor left out.
inline QStringList writes(const QStringList& trace) {
    return matching(trace, QStringLiteral("^\\d+ (wrmsr(?:-wbinvd)? [0-9a-f]+ [0-9a-f]+)"));
}

// The register indexes read, in order, from trace lines.
inline QStringList readIndexes(const QStringList& trace) {
    return matching(trace, QStringLiteral("^\\d+ rdmsr ([0-9a-f]+) "));
}

// The trace lines that write a register.
inline QStringList writeLines(const QStringList& trace) {
    return trace.filter(QRegularExpression(QStringLiteral("^\\d+ wrmsr")));
}

inline QString hex16(uint64_t value) {
    return QStringLiteral("%1").arg(value, 16, 16, QLatin1Char('0'));
}

// One click of an option button: the register before and after, the write kind and the panel.
struct ClickCase {
    const char* button;
    uint32_t index;
    uint64_t before;
    uint64_t after;
    const char* writeKind;
    const char* panelName;
    const char* panelText;
};

// Clicks the case's button on `tab` and checks the read-modify-write, the refresh reads that
// follow, the panel and the button's selection.
inline void checkClick(GuiRig& rig, const char* tab, const ClickCase& c,
                       const QStringList& refreshReads) {
    SCOPED_TRACE(c.button);
    rig.sim.setReg(c.index, c.before);
    rig.act(QStringLiteral("tab:") + QLatin1String(tab));
    rig.takeTrace();
    rig.act(QStringLiteral("click:") + QLatin1String(c.button));
    EXPECT_EQ(rig.sim.reg(c.index), c.after);
    const QStringList trace = rig.takeTrace();
    const QString index = QString::number(c.index, 16);
    ASSERT_GE(trace.size(), 2);
    EXPECT_EQ(trace[0], QStringLiteral("0 rdmsr %1 %2").arg(index, hex16(c.before)));
    EXPECT_EQ(trace[1],
              QStringLiteral("0 %1 %2 %3").arg(QLatin1String(c.writeKind), index, hex16(c.after)));
    EXPECT_EQ(readIndexes(trace.mid(2)), refreshReads);
    EXPECT_EQ(panelText(rig, c.panelName), QLatin1String(c.panelText));
    auto* button = rig.control<QAbstractButton>(QLatin1String(c.button));
    ASSERT_NE(button, nullptr);
    if (button->isCheckable()) {
        EXPECT_TRUE(button->isChecked());
    }
}

// The records a page would save, as (code, value) pairs.
inline std::vector<std::pair<int, int>> recordPairs(const std::vector<OptionRecord>& records) {
    std::vector<std::pair<int, int>> pairs;
    for (const OptionRecord& record : records)
        pairs.emplace_back(record.code, record.value);
    return pairs;
}

}  // namespace zandro::test
