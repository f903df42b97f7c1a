#include "ConfigurationRun.h"

#include <QFileDialog>
#include <QFileInfo>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "TfrmMSR.h"
#include "WriteFailureWatch.h"
#include "config/ConfigFile.h"
#include "config/ConfigFormat.h"
#include "core/MsrBuffer.h"
#include "families/FamilyPage.h"
#include "families/FamilyRegistry.h"
#include "families/Messages.h"
#include "families/NameString.h"
#include "platform/Platform.h"
#include "pstates/OperatingPoint.h"

namespace zandro {

namespace {

std::optional<QString> s_saveAnswer;
bool s_reportWriteFailures = false;

constexpr int kAllProcessors = -1;
constexpr int kHighestProcessor = 31;

bool sameIdentity(const CpuIdentity& a, const CpuIdentity& b) {
    return a.vendorCode == b.vendorCode && a.family == b.family && a.model == b.model &&
           a.stepping == b.stepping;
}

}  // namespace

QString askSaveFileName(QWidget* parent) {
    if (s_saveAnswer) {
        QString path = *s_saveAnswer;
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".msr");
        return path;
    }
    QFileDialog dlgSaveFile(parent, QStringLiteral("Save Configuration File"));
    dlgSaveFile.setObjectName(QStringLiteral("dlgSaveFile"));
    dlgSaveFile.setAcceptMode(QFileDialog::AcceptSave);
    dlgSaveFile.setDefaultSuffix(QStringLiteral("msr"));
    if (dlgSaveFile.exec() != QDialog::Accepted || dlgSaveFile.selectedFiles().isEmpty())
        return {};
    return dlgSaveFile.selectedFiles().constFirst();
}

void answerSaveDialog(const QString& path) {
    s_saveAnswer = path;
}

void restoreSaveDialog() {
    s_saveAnswer.reset();
}

void saveConfiguration(TfrmMSR& window) {
    ConfigHeader header;
    header.identity = ReadCpuid(window.platform());
    const QString path = askSaveFileName(&window);
    if (path.isEmpty())
        return;
    // Only the processors that have name-string registers are asked for theirs.
    header.nameField = makeNameField(header.identity, hasNameStringRegisters(header.identity)
                                                          ? ReadNameString(window.msrBuffer())
                                                          : std::string());
    std::vector<ConfigRecord> records;
    for (const OptionRecord& option : window.page(window.familyKind())->savedOptions())
        records.push_back({option.code, option.value});
    switch (writeConfigurationFile(QFile::encodeName(path).toStdString(),
                                   serializeConfiguration(header, records))) {
        case FileWrite::Ok:
            break;
        case FileWrite::CannotCreate:
            Messages::show(&window, MsgKind::Error, QStringLiteral("Could not create file."));
            break;
        case FileWrite::CannotWrite:
            Messages::show(&window, MsgKind::Error, QStringLiteral("Could not write to file."));
            break;
        case FileWrite::NotRegular:
            Messages::show(&window, MsgKind::Error,
                           QStringLiteral("Could not create file.\n\r\"%1\" is not a regular file; "
                                          "it was left as it is.")
                               .arg(path));
            break;
    }
}

void ConfigurationRun::notApplied(const ConfigRecord& record, int processor, const QString& why) {
    ++m_notApplied;
    if (s_reportWriteFailures)
        std::fprintf(stderr, "ZANDRO not-applied: cpu %d code %u value %u: %s\n", processor,
                     unsigned(record.code), unsigned(record.value), why.toLocal8Bit().constData());
}

ConfigurationRun::ConfigurationRun(TfrmMSR& window, QStringList arguments, Mode mode)
    : m_window(window), m_arguments(std::move(arguments)), m_mode(mode) {}

bool ConfigurationRun::checkWrite(uint32_t index, uint64_t wanted) {
    uint32_t eax = 0, edx = 0;
    std::optional<uint64_t> now;
    if (m_window.platform().readMsr(index, eax, edx) == DriverStatus::Ok)
        now = (uint64_t(edx) << 32) | eax;
    if (now != wanted)
        differs(index, now, wanted);
    // As if written: the record goes on exactly as applying it would.
    return true;
}

void ConfigurationRun::differs(uint32_t index, const std::optional<uint64_t>& now,
                               uint64_t wanted) {
    if (m_recordDiffers)
        return;
    m_recordDiffers = true;
    ++m_differences;
    const QString nowText = now ? QStringLiteral("%1").arg(*now, 16, 16, QLatin1Char('0')).toUpper()
                                : QStringLiteral("unreadable");
    std::printf("differs\tcpu %d\tcode %s\tmsr %X\tnow %s\twanted %016llX\n", m_processor,
                m_code.toLatin1().constData(), index, nowText.toLatin1().constData(),
                static_cast<unsigned long long>(wanted));
    std::fflush(stdout);
}

bool ConfigurationRun::runTransition(FamilyPage& page) {
    if (m_mode == Mode::Apply)
        return page.runTransition();
    // A stepped change would wait for a status register that never moves when nothing is
    // written: the point the click would aim at is compared with where the processor is.
    const std::optional<PStateRegisters> registers = page.pstateRegisters();
    const std::optional<uint64_t> aimed = page.aimedStatus();
    if (!registers || !aimed)
        return false;
    const std::optional<uint64_t> now = readRegister(m_window.msrBuffer(), registers->status);
    if (now != aimed)
        differs(registers->status, now, *aimed);
    return true;
}

void ConfigurationRun::setReportWriteFailures(bool on) {
    s_reportWriteFailures = on;
}

bool ConfigurationRun::reportsWriteFailures() {
    return s_reportWriteFailures;
}

void ConfigurationRun::error(const QString& text) {
    Messages::show(&m_window, MsgKind::Error, text);
}

QString ConfigurationRun::quotedPath() const {
    return QLatin1Char('"') + m_arguments.value(0) + QLatin1Char('"');
}

bool ConfigurationRun::RunTime_Set() {
    int processor = kAllProcessors;
    bool isNumber = false;
    const int number = m_arguments.value(1).toInt(&isNumber);
    if (isNumber && number >= 0 && number <= kHighestProcessor)
        processor = number;

    const QString path = m_arguments.value(0);
    const QString keyword = path.toUpper();
    if (path.isEmpty() || keyword == QLatin1String("INSTALLREG") ||
        keyword == QLatin1String("UNINSTALLREG"))
        return false;
    if (!QFileInfo::exists(path)) {
        error(QStringLiteral("Could not find configuration file %1.").arg(quotedPath()));
        return false;
    }
    const FileRead file = readConfigurationFile(QFile::encodeName(path).toStdString());
    if (!file.ok) {
        error(QStringLiteral("Could not open configuration file %1: %2.")
                  .arg(quotedPath(), QString::fromLocal8Bit(file.error.c_str())));
        return false;
    }
    const ConfigContents contents = parseConfiguration(file.bytes);
    // A damaged header is reported before anything reaches a processor.
    if (!contents.headerRead) {
        error(QString::fromStdString(
            damageMessage(contents.damage, quotedPath().toStdString(), contents.header.version)));
        return false;
    }

    m_processor = processor;
    WriteFailureWatch watch(m_window.msrBuffer(), m_processor, m_failedWrites, m_recordUnread);
    MsrBuffer& msr = m_window.msrBuffer();
    if (m_mode == Mode::Check)
        msr.writeInstead = [this](uint32_t index, uint64_t value) {
            return checkWrite(index, value);
        };
    const auto applied = [&msr](bool result) {
        msr.writeInstead = nullptr;
        return result;
    };
    if (processor == kAllProcessors)
        return applied(applyOnAll(contents));
    uint32_t processMask = 0, systemMask = 0;
    m_window.platform().affinityMasks(processMask, systemMask);
    if (((systemMask >> processor) & 1u) == 0) {
        error(QStringLiteral("Selected processor is not present!"));
        return applied(false);
    }
    if (!m_window.SelectProcessor(processor))
        return applied(false);
    return applied(ApplyConfiguration(contents, processor) == Outcome::Applied);
}

bool ConfigurationRun::applyOnAll(const ConfigContents& contents) {
    bool result = true;
    for (int n = 0; n <= kHighestProcessor; ++n) {
        uint32_t processMask = 0, systemMask = 0;
        m_window.platform().affinityMasks(processMask, systemMask);
        if (((systemMask >> n) & 1u) == 0)
            continue;
        m_processor = n;
        if (!m_window.SelectProcessor(n)) {
            result = false;
            continue;
        }
        const Outcome outcome = ApplyConfiguration(contents, n);
        // A read error ends the run at once.
        if (outcome == Outcome::ReadError)
            return false;
        if (outcome == Outcome::Refused)
            result = false;
    }
    if (!result)
        error(
            QStringLiteral("Unknown error occured while changing MSR settings on all processors!"));
    return result;
}

ConfigurationRun::Outcome ConfigurationRun::ApplyConfiguration(const ConfigContents& contents,
                                                               int processor) {
    Platform& platform = m_window.platform();
    MsrBuffer& msr = m_window.msrBuffer();
    const CpuIdentity id = ReadCpuid(platform);
    if (!sameIdentity(id, contents.header.identity) && m_window.flags().UserProtection) {
        error(QStringLiteral("Processor number %1 is of different type than processor "
                             "configuration file was created on.\n\rDisable user protection or "
                             "generate new configuration file.")
                  .arg(processor));
        return Outcome::Refused;
    }
    m_code = QStringLiteral("name");
    m_recordDiffers = false;
    if (hasNameStringRegisters(id))
        WriteNameString(msr, contents.header.nameText());

    for (const ConfigRecord& record : contents.records) {
        m_recordUnread = false;
        m_code = QString::number(record.code);
        m_recordDiffers = false;
        // The changes the record asks for run after every page has had it, in registry order.
        std::vector<FamilyPage*> transitions;
        QString refusal;
        for (const FamilyEntry& family : m_window.families().entries()) {
            FamilyPage* page = m_window.page(family.kind);
            switch (page->applyRecord({record.code, record.value})) {
                case RecordAction::TransitionRequested:
                    transitions.push_back(page);
                    break;
                case RecordAction::Refused:
                    refusal = QStringLiteral("the page refused the value");
                    break;
                case RecordAction::NotMine:
                case RecordAction::Applied:
                    break;
            }
        }
        for (FamilyPage* page : transitions) {
            if (!runTransition(*page))
                refusal = QStringLiteral("the multiplier and voltage change did not complete");
        }
        if (m_recordUnread)
            refusal = QStringLiteral("a register could not be read, nothing was written");
        if (!refusal.isEmpty())
            notApplied(record, processor, refusal);
    }
    if (contents.damage != ConfigDamage::None) {
        error(QString::fromStdString(readErrorMessage(quotedPath().toStdString())));
        return Outcome::ReadError;
    }
    return Outcome::Applied;
}

}  // namespace zandro
