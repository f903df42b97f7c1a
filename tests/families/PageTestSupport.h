#pragma once

#include <QAbstractButton>
#include <QRegularExpression>
#include <QStringList>
#include <utility>
#include <vector>

#include "GuiFixture.h"
#include "families/FamilyPage.h"
#include "families/StatusPanel.h"

namespace zandro::test {

// The text of a status panel, or a marker naming the missing one.
inline QString panelText(GuiRig& rig, const char* name) {
    auto* p = rig.control<StatusPanel>(QLatin1String(name));
    return p ? p->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

// The register indexes read, in order, from trace lines.
inline QStringList readIndexes(const QStringList& trace) {
    QStringList indexes;
    static const QRegularExpression read(QStringLiteral("^\\d+ rdmsr ([0-9a-f]+) "));
    for (const QString& line : trace) {
        const auto m = read.match(line);
        if (m.hasMatch())
            indexes.append(m.captured(1));
    }
    return indexes;
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
