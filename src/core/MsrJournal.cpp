#include "MsrJournal.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace zandro {

namespace {

constexpr const char* kHeader = "# zandro register journal, boot ";
// A journal holds a few registers per processor; anything far larger is not one.
constexpr size_t kLargestJournal = 4 * 1024 * 1024;

std::string entryLine(const JournalEntry& e) {
    char line[64];
    std::snprintf(line, sizeof line, "%d %X %016" PRIX64 "\n", e.cpu, e.index, e.value);
    return line;
}

// True for a file system held in memory only (the run folder's): its files have no disk behind
// them, so a write is already all that a flush would make it.
bool inMemoryOnly(int fd) {
    struct statfs fs {};
    return ::fstatfs(fd, &fs) == 0 && (fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC);
}

// Writes at the end of the file and returns once the bytes are on disk. One call where the
// kernel takes the flush with the write: a journal line goes ahead of every first register
// write, so its cost is paid many times while a file is applied.
bool writeDurably(int fd, const std::string& bytes, bool flush) {
    iovec part{const_cast<char*>(bytes.data()), bytes.size()};
    const ssize_t written = ::pwritev2(fd, &part, 1, -1, flush ? RWF_DSYNC : 0);
    if (written >= 0)
        return size_t(written) == bytes.size();
    if (errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        return false;
    return ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) &&
           (!flush || ::fdatasync(fd) == 0);
}

}  // namespace

std::string journalText(const std::string& bootId, const std::vector<JournalEntry>& entries) {
    std::string text = kHeader + bootId + "\n";
    for (const JournalEntry& e : entries)
        text += entryLine(e);
    return text;
}

std::optional<ParsedJournal> parseJournal(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    const std::string header = kHeader;
    if (!std::getline(in, line) || line.compare(0, header.size(), header) != 0)
        return std::nullopt;
    ParsedJournal journal;
    journal.bootId = line.substr(header.size());
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string cpu, index, value, extra;
        // The value has all 16 digits: a line cut short by a crash has fewer and is no entry.
        if (!(fields >> cpu >> index >> value) || (fields >> extra) || value.size() != 16)
            continue;
        char* end = nullptr;
        JournalEntry entry;
        entry.cpu = int(std::strtol(cpu.c_str(), &end, 10));
        bool whole = *end == 0 && entry.cpu >= 0;
        entry.index = uint32_t(std::strtoul(index.c_str(), &end, 16));
        whole = whole && *end == 0;
        entry.value = std::strtoull(value.c_str(), &end, 16);
        if (whole && *end == 0)
            journal.entries.push_back(entry);
    }
    return journal;
}

MsrJournal::MsrJournal(std::string path, std::string bootId)
    : m_path(std::move(path)), m_bootId(std::move(bootId)) {}

void MsrJournal::load() {
    m_entries.clear();
    m_held.clear();
    if (m_path.empty())
        return;
    const FileContents file = readRegularFile(m_path, kLargestJournal);
    if (!file.result.ok())
        return;
    const std::optional<ParsedJournal> parsed = parseJournal(file.bytes);
    if (!parsed || parsed->bootId != m_bootId)
        return;
    for (const JournalEntry& entry : parsed->entries) {
        if (m_held.insert(key(entry.cpu, entry.index)).second)
            m_entries.push_back(entry);
    }
}

bool MsrJournal::holds(int cpu, uint32_t index) const {
    return m_held.count(key(cpu, index)) != 0;
}

FileResult MsrJournal::record(const std::vector<JournalEntry>& entries) {
    std::string lines;
    for (const JournalEntry& entry : entries) {
        if (!m_held.insert(key(entry.cpu, entry.index)).second)
            continue;
        m_entries.push_back(entry);
        lines += entryLine(entry);
    }
    if (lines.empty() || m_path.empty() || (m_stored && append(lines)))
        return {};
    return store();
}

bool MsrJournal::append(const std::string& lines) {
    // No link is followed here: the whole store resolves and checks those.
    if (m_appendFd < 0) {
        m_appendFd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
        if (m_appendFd < 0)
            return false;
        m_flushAppends = !inMemoryOnly(m_appendFd);
    }
    // A file renamed over or removed since has no name left: it is no longer the journal, and
    // the whole store puts it back.
    struct stat st {};
    return ::fstat(m_appendFd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 0 &&
           writeDurably(m_appendFd, lines, m_flushAppends);
}

MsrJournal::~MsrJournal() {
    if (m_appendFd >= 0)
        ::close(m_appendFd);
}

FileResult MsrJournal::forget(const std::vector<JournalEntry>& restored) {
    for (const JournalEntry& gone : restored) {
        std::erase_if(m_entries, [&gone](const JournalEntry& e) {
            return e.cpu == gone.cpu && e.index == gone.index;
        });
        m_held.erase(key(gone.cpu, gone.index));
    }
    return store();
}

FileResult MsrJournal::store() {
    if (m_path.empty())
        return {};
    if (m_appendFd >= 0) {
        ::close(m_appendFd);
        m_appendFd = -1;
    }
    // The run folder is emptied at boot, so the journal's own folder may not be there yet.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ignored);
    const FileResult result = replaceRegularFile(m_path, journalText(m_bootId, m_entries));
    m_stored = result.ok();
    return result;
}

}  // namespace zandro
