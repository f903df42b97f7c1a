// What --describe says of every code of every family, held against what applying the record does
// on a simulated machine of that family, and against the captions the pages show.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QRegularExpression>

#include "GuiFixture.h"
#include "app/ConfigurationRun.h"
#include "config/ConfigCodes.h"
#include "core/NetBurstCapabilities.h"
#include "families/EditBox.h"

namespace zandro {
namespace {

using test::GuiRig;

// One "writes" clause of a describe line.
struct Clause {
    uint32_t index;
    uint32_t mask;  // 0: the register alone is named (the multiplier and voltage change)
    uint32_t value;
    bool onlyWithTm2;
};

struct Described {
    std::vector<Clause> writes;
    bool refused = false;
};

// Reads the fixed wording of the "what it does" column back into registers and bits.
Described parseDescription(const std::string& text) {
    static const QRegularExpression clause(QStringLiteral("^writes ([0-9A-F]+)h(.*)$"));
    static const QRegularExpression field(
        QStringLiteral("bits? (\\d+)(?:\\.\\.(\\d+))? = ([01]+)"));
    Described described;
    const QStringList clauses = QString::fromStdString(text).split(QStringLiteral("; "));
    for (const QString& part : clauses.mid(1)) {
        if (part.startsWith(QLatin1String("refused: "))) {
            described.refused = true;
            continue;
        }
        const QRegularExpressionMatch match = clause.match(part);
        if (!match.hasMatch())
            continue;
        Clause write{match.captured(1).toUInt(nullptr, 16), 0, 0,
                     match.captured(2).endsWith(QLatin1String("has Thermal Monitor 2"))};
        for (auto it = field.globalMatch(match.captured(2)); it.hasNext();) {
            const QRegularExpressionMatch bits = it.next();
            const unsigned high = bits.captured(1).toUInt();
            const unsigned low = bits.captured(2).isEmpty() ? high : bits.captured(2).toUInt();
            const uint32_t mask = ((uint32_t(2) << (high - low)) - 1) << low;
            write.mask |= mask;
            write.value |= (bits.captured(3).toUInt(nullptr, 2) << low) & mask;
        }
        described.writes.push_back(write);
    }
    return described;
}

struct TracedWrite {
    uint32_t index;
    uint32_t before;  // the low half that the read-modify-write read
    uint32_t written;
};

// The register writes of a trace, each with the value last read from its register; the name
// string, which every application on an AMD processor writes first, is left out.
std::vector<TracedWrite> tracedWrites(const QStringList& trace) {
    static const QRegularExpression access(
        QStringLiteral("^\\d+ (rdmsr|wrmsr|wrmsr-wbinvd) ([0-9a-f]+) ([0-9a-f]{16})"));
    std::map<uint32_t, uint32_t> lastRead;
    std::vector<TracedWrite> writes;
    for (const QString& line : trace) {
        const QRegularExpressionMatch match = access.match(line);
        if (!match.hasMatch())
            continue;
        const uint32_t index = match.captured(2).toUInt(nullptr, 16);
        const auto low = uint32_t(match.captured(3).toULongLong(nullptr, 16));
        if (match.captured(1) == QLatin1String("rdmsr"))
            lastRead[index] = low;
        else if (index < 0xC0010030 || index > 0xC0010035)
            writes.push_back({index, lastRead[index], low});
    }
    return writes;
}

const char* profileOf(const OptionCode& option) {
    switch (option.family) {
        case FamilyAthlon64:
            return "athlon64";
        case FamilyPentiumM:
            return "pentium-m";
        case FamilyPentium4:
            return "pentium4";
        case FamilyAthlonK7:
            return "athlon";
        case FamilyPentium3:
            return "pentium3";
        default:
            return option.code < 520 ? "k5" : "k6";
    }
}

// One started machine per profile, shared by the codes of its family.
class Rigs {
public:
    GuiRig* of(const OptionCode& option) {
        auto& rig = m_rigs[profileOf(option)];
        if (!rig) {
            rig = std::make_unique<GuiRig>(profileOf(option));
            if (!rig->start())
                return nullptr;
        }
        return rig.get();
    }

private:
    std::map<std::string, std::unique_ptr<GuiRig>> m_rigs;
};

// Every button and item, the first value past them, and 255; numbers around the largest.
std::vector<uint8_t> valuesOf(const OptionCode& option) {
    if (option.kind == OptionKind::Number)
        return {0, 85, uint8_t(option.largest), uint8_t(option.largest + 1), 200, 255};
    std::vector<uint8_t> values;
    for (size_t value = 0; value <= option.choices.size(); ++value)
        values.push_back(uint8_t(value));
    if (option.choices.empty())
        values.push_back(1);
    values.push_back(255);
    return values;
}

// Applies one record on the machine of the rig as a command-line run on processor 0 does.
struct Applied {
    std::vector<TracedWrite> writes;
    int notApplied;
};
Applied applyOne(GuiRig& rig, ConfigRecord record) {
    ConfigHeader header;
    header.identity = ReadCpuid(rig.sim.platform);
    header.nameField = makeNameField(header.identity, "Described");
    const std::string path = rig.dir.file("one.msr");
    test::writeFile(path, serializeConfiguration(header, {record}));
    ConfigurationRun run(*rig.window, {QString::fromStdString(path), QStringLiteral("0")});
    rig.takeTrace();
    run.RunTime_Set();
    return {tracedWrites(rig.takeTrace()), run.notAppliedRecords()};
}

// Every bit the description names starts opposite to what it says, so that a bit it names but
// applying leaves alone shows in the trace.
void presetOpposite(GuiRig& rig, const Described& described) {
    for (const Clause& clause : described.writes) {
        const uint64_t held = rig.sim.reg(clause.index);
        rig.sim.setReg(clause.index,
                       (held & ~uint64_t(clause.mask)) | (~clause.value & clause.mask));
    }
}

// The described clauses merged by register in the order of the writes, as the trace shows them.
std::vector<Clause> expectedWrites(const Described& described, bool hasTm2) {
    std::vector<Clause> merged;
    for (const Clause& clause : described.writes) {
        if (clause.onlyWithTm2 && !hasTm2)
            continue;
        if (!merged.empty() && merged.back().index == clause.index) {
            merged.back().mask |= clause.mask;
            merged.back().value |= clause.value;
        } else {
            merged.push_back(clause);
        }
    }
    return merged;
}

TEST(DescribeTest, EveryCodeWritesWhatItsDescriptionNames) {
    Rigs rigs;
    int changeWrites = 0, refusals = 0;
    for (const OptionCode& option : optionCodes()) {
        GuiRig* rig = rigs.of(option);
        ASSERT_NE(rig, nullptr) << profileOf(option);
        const bool hasTm2 = HasTM2(rig->sim.platform);
        for (uint8_t value : valuesOf(option)) {
            const std::string text = describeRecord({option.code, value});
            SCOPED_TRACE(std::to_string(option.code) + " " + std::to_string(value) + ": " + text);
            const Described described = parseDescription(text);
            if (option.list == nullptr)
                presetOpposite(*rig, described);
            const Applied applied = applyOne(*rig, {option.code, value});
            if (option.list != nullptr) {
                // The change steps through values of its own; only its register is named.
                ASSERT_EQ(described.writes.size(), 1u);
                changeWrites += int(applied.writes.size());
                for (const TracedWrite& write : applied.writes)
                    EXPECT_EQ(write.index, described.writes[0].index) << std::hex << write.index;
                continue;
            }
            EXPECT_EQ(applied.notApplied > 0, described.refused);
            refusals += described.refused ? 1 : 0;
            const std::vector<Clause> expected = expectedWrites(described, hasTm2);
            ASSERT_EQ(applied.writes.size(), expected.size());
            for (size_t i = 0; i < expected.size(); ++i) {
                const TracedWrite& write = applied.writes[i];
                EXPECT_EQ(write.index, expected[i].index) << std::hex << write.index;
                EXPECT_EQ(write.written & expected[i].mask, expected[i].value)
                    << std::hex << write.written;
                EXPECT_EQ((write.written ^ write.before) & ~expected[i].mask, 0u)
                    << std::hex << write.before << " -> " << write.written;
            }
        }
    }
    // The walk reached the multiplier and voltage changes and the refused numbers.
    EXPECT_GT(changeWrites, 0);
    EXPECT_EQ(refusals, 3);
    // A code of no option is skipped: nothing is written.
    GuiRig rig("athlon64");
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(describeRecord({999, 0}), "skipped");
    EXPECT_TRUE(applyOne(rig, {999, 0}).writes.empty());
}

QString groupTitle(const QWidget* control) {
    for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        if (const auto* group = qobject_cast<const QGroupBox*>(w))
            return group->title();
    }
    return {};
}

// The captions and items that describe names are the ones the pages show.
TEST(DescribeTest, CaptionsAndChoicesAreThoseOfThePages) {
    Rigs rigs;
    for (const OptionCode& option : optionCodes()) {
        SCOPED_TRACE(option.code);
        GuiRig* rig = rigs.of(option);
        ASSERT_NE(rig, nullptr) << profileOf(option);
        const QString caption = QString::fromLatin1(option.caption);
        if (option.control != nullptr) {
            const auto* box = rig->control<QWidget>(QLatin1String(option.control));
            ASSERT_NE(box, nullptr) << option.control;
            EXPECT_EQ(groupTitle(box), caption);
            const auto* combo = qobject_cast<const QComboBox*>(box);
            if (!option.choices.empty()) {
                ASSERT_NE(combo, nullptr);
                ASSERT_EQ(combo->count(), int(option.choices.size()));
                for (int item = 0; item < combo->count(); ++item)
                    EXPECT_EQ(combo->itemText(item).toStdString(),
                              option.choices[size_t(item)].text);
            }
        }
        for (const OptionChoice& choice : option.choices) {
            if (choice.control.empty())
                continue;
            const auto* button = rig->control<QRadioButton>(QString::fromStdString(choice.control));
            ASSERT_NE(button, nullptr) << choice.control;
            EXPECT_EQ(button->text().toStdString(), choice.text);
            EXPECT_EQ(groupTitle(button), caption);
        }
    }
}

TEST(DescribeTest, RefusedAndOutOfRangeValuesAreWordedAsApplyingActs) {
    EXPECT_EQ(describeRecord({522, 200}),
              "Write Allocate Limit: 200; refused: not between 0 and 127");
    EXPECT_EQ(describeRecord({522, 5}),
              "Write Allocate Limit: 5; writes C0000082h bits 7..1 = 0000101");
    EXPECT_EQ(describeRecord({321, 255}),
              "Stop Grant Clock Divisor: no item 255, the list is left without a selection, as "
              "for \"8\"; writes C001001Bh bit 18 = 0, bits 15..14 = 00");
    EXPECT_EQ(describeRecord({140, 1}),
              "Slow Down When Overheating Protection: Enable Thermal Monitor 1; writes 19Dh bit 16 "
              "= 0; writes 1A0h bit 3 = 1");
    EXPECT_EQ(
        describeRecord({441, 16}),
        "L2 cache Latency: no item 16, the list is left without a selection; nothing written");
    EXPECT_EQ(describeRecord({20, 2}), "No-Execute Page: no button 2; nothing written");
    EXPECT_EQ(describeRecord({250, 3}),
              "Multiplier adjustments: item 3 of the multiplier list as the processor fills it; "
              "writes 199h (the multiplier and voltage change)");
}

}  // namespace
}  // namespace zandro
