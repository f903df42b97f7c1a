#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

#include "core/Cpuid.h"

class QWidget;

namespace zandro {

class FamilyPage;
class TfrmMSR;
struct ConfigContents;
struct ConfigRecord;

// dlgSaveFile: "Save Configuration File", default extension "msr". Empty when cancelled.
QString askSaveFileName(QWidget* parent);
// Replaces the dialog (headless runs and tests): every question gets this answer, ".msr" added
// when it has no extension; an empty answer cancels.
void answerSaveDialog(const QString& path);
void restoreSaveDialog();

// Saves the options chosen on the current family page as a configuration file.
void saveConfiguration(TfrmMSR& window);

// One run of applying the configuration file named on the command line, on one processor or on
// all of them, as the start-up sequence does once.
class ConfigurationRun {
public:
    // Checking runs the very same path with nothing written: each would-be write is compared
    // with the register's value, and a record that would change something prints one line.
    enum class Mode { Apply, Check };

    ConfigurationRun(TfrmMSR& window, QStringList arguments, Mode mode = Mode::Apply);

    // True when the file was applied without any reported error.
    bool RunTime_Set();
    // Register writes the processor refused while the file was applied.
    int failedWrites() const { return m_failedWrites; }
    // Records that were not applied as the file asks (a failed read, a refused value).
    int notAppliedRecords() const { return m_notApplied; }
    // Check mode: the records (and the name field) that applying would change something with.
    int differences() const { return m_differences; }

    // Headless runs name each refused write on stderr.
    static void setReportWriteFailures(bool on);
    static bool reportsWriteFailures();

private:
    enum class Outcome { Applied, Refused, ReadError };

    // Applies the file on the processor the process is bound to now.
    Outcome ApplyConfiguration(const ConfigContents& contents, int processor);
    bool applyOnAll(const ConfigContents& contents);
    void error(const QString& text);
    void notApplied(const ConfigRecord& record, int processor, const QString& why);
    QString quotedPath() const;
    bool checkWrite(uint32_t index, uint64_t wanted);
    void differs(uint32_t index, const std::optional<uint64_t>& now, uint64_t wanted);
    bool runTransition(FamilyPage& page);

    TfrmMSR& m_window;
    QStringList m_arguments;
    int m_processor = -1;  // the processor being written, for the refused-write lines
    int m_failedWrites = 0;
    int m_notApplied = 0;
    bool m_recordUnread = false;  // the current record met a register that could not be read
    Mode m_mode;
    QString m_code;                // check mode: the record being checked, or "name"
    bool m_recordDiffers = false;  // check mode: its line is out
    int m_differences = 0;
};

}  // namespace zandro
