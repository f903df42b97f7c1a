#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/MsrJournal.h"

namespace zandro {

class TfrmMSR;

// Puts journaled registers back: plain registers by one write of the recorded value (bits that
// can only be cleared are not set again), the multiplier and voltage through the family's own
// stepped routine toward the operating point the status register showed.
class JournalRestore {
public:
    static constexpr int kAllProcessors = -1;

    explicit JournalRestore(TfrmMSR& window);

    // What restoring `processor` (or every processor) will write, one line each, for the
    // question asked before it.
    QStringList plan(int processor) const;

    // Restores and empties the journal of what went back; false when something did not (the
    // journal keeps it). A processor that cannot be selected counts as not restored.
    bool restore(int processor);
    // "Restore original values": lists what restoring `processor` will write and restores it
    // when the user answers Yes; says so when there is nothing to restore or something failed.
    void askAndRestore(int processor);
    int failedWrites() const { return m_failedWrites; }

private:
    struct Step {
        JournalEntry entry;
        uint64_t value = 0;              // what a plain write puts back
        bool operatingPoint = false;     // the control register, stepped back ...
        uint32_t statusIndex = 0;        // ... to the status register's ...
        std::optional<uint64_t> status;  // ... recorded value (never written raw without it)
    };
    std::vector<Step> steps(int cpu) const;
    std::vector<int> processors(int processor) const;
    bool restoreOn(int cpu, std::vector<JournalEntry>& restored);

    TfrmMSR& m_window;
    int m_failedWrites = 0;
    int m_cpu = 0;  // the processor being written, for the refused-write lines
};

}  // namespace zandro
