#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "core/MsrJournal.h"

namespace zandro {

class TfrmMSR;

// The journal of original register values, kept for the main window: before the first write of
// a register on a processor, by whatever path, the value it holds is read and recorded.
class RegisterJournal {
public:
    static constexpr const char* kDefaultPath = "/run/zandro/journal";

    // `path`: nothing for $ZANDRO_JOURNAL, else the run folder's journal; empty for a journal
    // kept in memory only.
    RegisterJournal(TfrmMSR& window, const std::optional<QString>& path);
    RegisterJournal(const RegisterJournal&) = delete;
    RegisterJournal& operator=(const RegisterJournal&) = delete;

    // From now on every write through the window's register buffer is recorded first.
    void attach();

    MsrJournal& journal() { return m_journal; }

private:
    void beforeWrite(uint32_t index);
    // Adds the register's entry to `entries` unless it is on record or cannot be read.
    void read(int cpu, uint32_t index, std::vector<JournalEntry>& entries);
    void cannotRecord(const QString& why);

    TfrmMSR& m_window;
    MsrJournal m_journal;
    bool m_told = false;  // the user has heard that the journal cannot be kept
};

}  // namespace zandro
