#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/RegularFile.h"

namespace zandro {

// One register as it was before the program first wrote it on a processor.
struct JournalEntry {
    int cpu = 0;
    uint32_t index = 0;
    uint64_t value = 0;
    bool operator==(const JournalEntry&) const = default;
};

// The journal's text: a comment line naming the boot, then "<cpu> <index hex> <value>" lines.
std::string journalText(const std::string& bootId, const std::vector<JournalEntry>& entries);

struct ParsedJournal {
    std::string bootId;
    std::vector<JournalEntry> entries;
};
// Nothing for a text without the header line. A line that is not an entry (one cut short by a
// crash, say) is passed over.
std::optional<ParsedJournal> parseJournal(const std::string& text);

// The original value of every register written since boot, kept in a file that is on disk before
// each first write, so that a crash after the write still finds the original on record: the
// first store of a run replaces the file (flushed, then renamed), later registers are appended a
// flushed line at a time. A journal of another boot is no record of this machine's registers and
// is left out.
class MsrJournal {
public:
    // An empty path keeps the journal in memory only.
    MsrJournal(std::string path, std::string bootId);
    ~MsrJournal();
    MsrJournal(const MsrJournal&) = delete;
    MsrJournal& operator=(const MsrJournal&) = delete;

    // Reads the file, when there is one of this boot; anything else starts an empty journal.
    void load();

    bool holds(int cpu, uint32_t index) const;
    // Remembers the entries of registers not yet held and puts them on disk together; on failure
    // they are still remembered (so a run asks the file once per register), and the result says
    // why.
    FileResult record(const std::vector<JournalEntry>& entries);
    FileResult record(const JournalEntry& entry) { return record(std::vector{entry}); }
    // Drops the entries of these registers and stores what is left.
    FileResult forget(const std::vector<JournalEntry>& restored);

    const std::vector<JournalEntry>& entries() const { return m_entries; }
    const std::string& path() const { return m_path; }

private:
    FileResult store();
    // More lines at the end of the file this run stored, on disk when it returns; false when that
    // cannot be done safely (the file is gone, replaced or not a plain file), and the caller
    // stores it whole.
    bool append(const std::string& lines);
    static uint64_t key(int cpu, uint32_t index) { return (uint64_t(uint32_t(cpu)) << 32) | index; }

    std::string m_path;
    std::string m_bootId;
    std::vector<JournalEntry> m_entries;
    std::unordered_set<uint64_t> m_held;
    bool m_stored = false;  // the file holds every entry but the newest, as this run wrote it
    int m_appendFd = -1;    // that file, open for appending, once the first line is added
    bool m_flushAppends = true;  // false where the file system has no disk to flush to
};

}  // namespace zandro
