#include "JournalRestore.h"

#include <algorithm>
#include <array>
#include <set>

#include "RegisterJournal.h"
#include "TfrmMSR.h"
#include "WriteFailureWatch.h"
#include "core/MsrBuffer.h"
#include "families/FamilyPage.h"
#include "families/Messages.h"

namespace zandro {

namespace {

// Register bits that a write can only clear: restoring never sets them.
struct ClearOnly {
    uint32_t index;
    uint64_t bits;
};
constexpr std::array<ClearOnly, 1> kClearOnly = {{
    {0x19C, (1u << 1) | (1u << 3)},  // 19Ch bit 1: thermal log, bit 3: PROCHOT# log
}};

uint64_t restorable(uint32_t index, uint64_t value) {
    for (const ClearOnly& row : kClearOnly) {
        if (row.index == index)
            value &= ~row.bits;
    }
    return value;
}

QString hex(uint64_t value, int width) {
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

JournalRestore::JournalRestore(TfrmMSR& window) : m_window(window) {}

std::vector<JournalRestore::Step> JournalRestore::steps(int cpu) const {
    const std::vector<JournalEntry>& entries = m_window.journal()->journal().entries();
    const std::optional<PStateRegisters> pstate =
        m_window.page(m_window.familyKind())->pstateRegisters();
    std::vector<Step> result;
    for (const JournalEntry& entry : entries) {
        if (entry.cpu != cpu)
            continue;
        // The status register is never written: it is where the control register steps to.
        if (pstate && entry.index == pstate->status)
            continue;
        Step step;
        step.entry = entry;
        step.value = restorable(entry.index, entry.value);
        if (pstate && entry.index == pstate->control) {
            const auto status = std::find_if(entries.begin(), entries.end(), [&](const auto& e) {
                return e.cpu == cpu && e.index == pstate->status;
            });
            step.operatingPoint = true;
            step.statusIndex = pstate->status;
            if (status != entries.end())
                step.status = status->value;
        }
        result.push_back(step);
    }
    return result;
}

std::vector<int> JournalRestore::processors(int processor) const {
    std::set<int> cpus;
    for (const JournalEntry& entry : m_window.journal()->journal().entries()) {
        if (processor == kAllProcessors || entry.cpu == processor)
            cpus.insert(entry.cpu);
    }
    return {cpus.begin(), cpus.end()};
}

QStringList JournalRestore::plan(int processor) const {
    QStringList lines;
    for (int cpu : processors(processor)) {
        for (const Step& step : steps(cpu)) {
            if (step.operatingPoint)
                lines << QStringLiteral(
                             "Processor %1: multiplier and voltage stepped back to %2h "
                             "= %3h")
                             .arg(cpu)
                             .arg(hex(step.statusIndex, 0))
                             .arg(step.status ? hex(*step.status, 16) : QStringLiteral("?"));
            else
                lines << QStringLiteral("Processor %1: %2h = %3h")
                             .arg(cpu)
                             .arg(hex(step.entry.index, 0), hex(step.value, 16));
        }
    }
    return lines;
}

bool JournalRestore::restore(int processor) {
    bool unread = false;
    WriteFailureWatch watch(m_window.msrBuffer(), m_cpu, m_failedWrites, unread);
    bool all = true;
    std::vector<JournalEntry> restored;
    for (int cpu : processors(processor)) {
        m_cpu = cpu;
        all = restoreOn(cpu, restored) && all;
    }
    MsrJournal& journal = m_window.journal()->journal();
    if (!restored.empty())
        journal.forget(restored);
    m_window.RefreshAll();
    return all;
}

void JournalRestore::askAndRestore(int processor) {
    const QStringList writes = plan(processor);
    if (writes.isEmpty()) {
        Messages::show(&m_window, MsgKind::Information,
                       QStringLiteral("No register of processor %1 has been changed since the "
                                      "system started.")
                           .arg(processor));
        return;
    }
    const QString question = QStringLiteral("Write the original values back?\n\r\n\r%1")
                                 .arg(writes.join(QStringLiteral("\n\r")));
    if (Messages::show(&m_window, MsgKind::Warning, question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    if (!restore(processor))
        Messages::show(&m_window, MsgKind::Error,
                       QStringLiteral("Some registers of processor %1 could not be restored; "
                                      "their original values stay on record.")
                           .arg(processor));
}

bool JournalRestore::restoreOn(int cpu, std::vector<JournalEntry>& restored) {
    if (!m_window.SelectProcessor(cpu))
        return false;
    MsrBuffer& msr = m_window.msrBuffer();
    FamilyPage* page = m_window.page(m_window.familyKind());
    bool all = true;
    for (const Step& step : steps(cpu)) {
        bool back = false;
        if (step.operatingPoint) {
            // A control value written raw could jump the multiplier: without the recorded
            // status there is no safe way back.
            back = step.status && page->restoreOperatingPoint(step.entry.value, *step.status);
            if (back)
                restored.push_back({cpu, step.statusIndex, *step.status});
        } else {
            msr.Index = step.entry.index;
            msr.setValue(step.value);
            back = msr.WriteMsr();
        }
        if (back)
            restored.push_back(step.entry);
        all = all && back;
    }
    return all;
}

}  // namespace zandro
