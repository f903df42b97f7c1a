#include "RegisterJournal.h"

#include <QFile>

#include "TfrmMSR.h"
#include "core/MsrBuffer.h"
#include "families/FamilyPage.h"
#include "families/Messages.h"
#include "platform/Platform.h"

namespace zandro {

namespace {

std::string journalPath(const std::optional<QString>& path) {
    if (path)
        return QFile::encodeName(*path).toStdString();
    const QByteArray chosen = qgetenv("ZANDRO_JOURNAL");
    return chosen.isEmpty() ? std::string(RegisterJournal::kDefaultPath) : chosen.toStdString();
}

}  // namespace

RegisterJournal::RegisterJournal(TfrmMSR& window, const std::optional<QString>& path)
    : m_window(window), m_journal(journalPath(path), window.platform().bootId()) {
    m_journal.load();
}

void RegisterJournal::attach() {
    m_window.msrBuffer().beforeWrite = [this](uint32_t index) { beforeWrite(index); };
}

void RegisterJournal::beforeWrite(uint32_t index) {
    const int cpu = m_window.boundProcessor();
    // Most writes are of registers already on record; the status register went on with its
    // control register.
    if (m_journal.holds(cpu, index))
        return;
    // A multiplier or voltage change is undone toward the operating point the status register
    // showed, so that register goes on record with its control register.
    const std::optional<PStateRegisters> pstate =
        m_window.page(m_window.familyKind())->pstateRegisters();
    std::vector<JournalEntry> entries;
    if (pstate && pstate->control == index)
        read(cpu, pstate->status, entries);
    read(cpu, index, entries);
    if (entries.empty())
        return;
    // Both go to disk in one flushed write.
    const FileResult stored = m_journal.record(entries);
    if (!stored.ok())
        cannotRecord(QString::fromStdString(m_journal.path() + ": " + stored.why));
}

void RegisterJournal::read(int cpu, uint32_t index, std::vector<JournalEntry>& entries) {
    if (m_journal.holds(cpu, index))
        return;
    // A read-modify-write has just read the register: that is its value before the write.
    if (const std::optional<uint64_t> read = m_window.msrBuffer().readValueOf(index)) {
        entries.push_back({cpu, index, *read});
        return;
    }
    uint32_t eax = 0, edx = 0;
    if (m_window.platform().readMsr(index, eax, edx) != DriverStatus::Ok) {
        cannotRecord(QStringLiteral("register %1h could not be read on processor %2")
                         .arg(QString::number(index, 16).toUpper())
                         .arg(cpu));
        return;
    }
    entries.push_back({cpu, index, (uint64_t(edx) << 32) | eax});
}

void RegisterJournal::cannotRecord(const QString& why) {
    if (m_told)
        return;
    m_told = true;
    Messages::show(&m_window, MsgKind::Warning,
                   QStringLiteral("The original register values cannot be recorded (%1). Changes "
                                  "made now cannot be undone with \"Restore original values\".")
                       .arg(why));
}

}  // namespace zandro
