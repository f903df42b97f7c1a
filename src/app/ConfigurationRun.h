#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "core/Cpuid.h"

class QWidget;

namespace zandro {

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
    ConfigurationRun(TfrmMSR& window, QStringList arguments);

    // True when the file was applied without any reported error.
    bool RunTime_Set();
    // Register writes the processor refused while the file was applied.
    int failedWrites() const { return m_failedWrites; }
    // Records that were not applied as the file asks (a failed read, a refused value).
    int notAppliedRecords() const { return m_notApplied; }

    // Headless runs name each refused write on stderr.
    static void setReportWriteFailures(bool on);

private:
    enum class Outcome { Applied, Refused, ReadError };

    // Applies the file on the processor the process is bound to now.
    Outcome ApplyConfiguration(const ConfigContents& contents, int processor);
    bool applyOnAll(const ConfigContents& contents);
    void error(const QString& text);
    void notApplied(const ConfigRecord& record, int processor, const QString& why);
    QString quotedPath() const;

    TfrmMSR& m_window;
    QStringList m_arguments;
    int m_processor = -1;  // the processor being written, for the refused-write lines
    int m_failedWrites = 0;
    int m_notApplied = 0;
    bool m_recordUnread = false;  // the current record met a register that could not be read
};

}  // namespace zandro
