#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/Appearance.h"
#include "app/Automation.h"
#include "app/CommandLine.h"
#include "app/ConfigurationRun.h"
#include "app/JournalRestore.h"
#include "app/TfrmGlobalMSR.h"
#include "app/TfrmMSR.h"
#include "config/ConfigCodes.h"
#include "config/ConfigFile.h"
#include "core/MsrBuffer.h"
#include "families/Messages.h"
#include "platform/LinuxPlatform.h"
#include "sim/SimPlatform.h"
#include "sim/SimProfiles.h"
#include "sim/SimStateFile.h"

using namespace zandro;

namespace {

constexpr int kExitDeclined = 1;
constexpr int kExitDiffers = 1;
constexpr int kExitNotApplied = 2;
constexpr int kExitBadState = 3;
constexpr int kExitWritesFailed = 4;
constexpr int kExitUsage = 64;

void printTo(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Headless runs keep stderr for the program's own message lines, which scripts read.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        printTo(stderr, QStringLiteral("zandro: ") + text + QLatin1Char('\n'));
}

int usageError(const QString& why) {
    printTo(stderr, QStringLiteral("zandro: ") + why + QStringLiteral("\n") + usageText());
    return kExitUsage;
}

// Prints what a configuration file holds; touches no register.
int describeFile(const QString& path) {
    const FileRead file = readConfigurationFile(QFile::encodeName(path).toStdString());
    // Built up in place: GCC 12 warns about a literal prepended to a temporary string.
    std::string quoted = "\"";
    quoted += path.toStdString();
    quoted += '"';
    std::string message;
    std::vector<std::string> lines;
    if (!file.ok)
        message = "Could not open configuration file " + quoted + ": " + file.error + ".";
    else
        lines = describeConfiguration(file.bytes, quoted, &message);
    if (!message.empty()) {
        printTo(stderr, QStringLiteral("ZANDRO error: ") +
                            QString::fromStdString(escapedLine(message)) + QLatin1Char('\n'));
        return kExitNotApplied;
    }
    // The name field's bytes go out as they are.
    for (const std::string& text : lines)
        std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return 0;
}

// A processor number as applying a file reads it: 0..31 is one processor, anything else all.
int processorArgument(const QString& text) {
    bool isNumber = false;
    const int n = text.toInt(&isNumber);
    return isNumber && n >= 0 && n <= 31 ? n : JournalRestore::kAllProcessors;
}

int restoreOriginals(TfrmMSR& window, const QString& processor) {
    JournalRestore restore(window);
    return restore.restore(processorArgument(processor)) ? 0 : kExitWritesFailed;
}

// Runs applying FILE with nothing written; one line per record that would change something.
int checkFile(TfrmMSR& window, const QString& file, const QString& processor) {
    QStringList arguments{file};
    if (!processor.isEmpty())
        arguments << processor;
    ConfigurationRun run(window, arguments, ConfigurationRun::Mode::Check);
    if (!run.RunTime_Set())
        return kExitNotApplied;
    return run.differences() > 0 ? kExitDiffers : 0;
}

// The journal beside a simulated machine's state: the real machine's journal is no place for
// a simulated machine's registers.
std::optional<QString> journalPath(const CommandLine& line) {
    if (line.simulate.isEmpty() || !qEnvironmentVariableIsEmpty("ZANDRO_JOURNAL"))
        return std::nullopt;
    return line.simState.isEmpty() ? QString() : line.simState + QStringLiteral(".journal");
}

// The Global MSR window an action opened, or a fresh one.
TfrmGlobalMSR* openGlobalWindow(TfrmMSR& window) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* global = qobject_cast<TfrmGlobalMSR*>(top); global && global->isVisible())
            return global;
    }
    return window.SpeedButton1Click();
}

QString executablePath(const char* argv0) {
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.exists())
        return self.canonicalFilePath();
    return QFileInfo(QString::fromLocal8Bit(argv0)).absoluteFilePath();
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = parseCommandLine(arguments);
    if (!line.ok())
        return usageError(line.error);
    if (line.help) {
        printTo(stdout, usageText());
        return 0;
    }
    if (line.version) {
        printTo(stdout, QStringLiteral("zandro 0.90\n"));
        return 0;
    }
    if (line.simulate == QLatin1String("list")) {
        for (const SimProfileInfo& profile : simProfiles())
            printTo(stdout,
                    QString::fromStdString(profile.name + "\t" + profile.description + "\n"));
        return 0;
    }
    if (line.describing)
        return describeFile(line.describe);

    std::optional<SimMachine> machine;
    std::unique_ptr<Platform> platform;
    if (!line.simulate.isEmpty()) {
        machine = makeSimMachine(line.simulate.toStdString());
        if (!machine)
            return usageError(QStringLiteral("no simulated profile %1").arg(line.simulate));
        if (!line.simState.isEmpty()) {
            const SimStateResult loaded = loadSimState(line.simState.toStdString(), *machine);
            if (!loaded.ok) {
                printTo(stderr, QString::fromStdString(loaded.error) + QLatin1Char('\n'));
                return kExitBadState;
            }
        }
        machine->fillProcessors();
        auto sim = std::make_unique<SimPlatform>(*machine);
        if (!line.simLog.isEmpty() && !sim->openTrace(line.simLog.toStdString()))
            return usageError(QStringLiteral("cannot open the trace file %1").arg(line.simLog));
        platform = std::move(sim);
    } else {
        platform = std::make_unique<LinuxPlatform>();
    }

    // Restoring and checking are for scripts: nobody is asked.
    const bool commandRun = line.restoring || line.checking;
    const bool headless =
        line.headless || commandRun ||
        (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    if (headless) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietQtMessages);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZANDRO"));
    applyAppearance(app);
    if (headless) {
        Messages::setHeadless(line.assumeYes);
        answerSaveDialog(line.saveAs);
        ConfigurationRun::setReportWriteFailures(true);
    }

    // The report is taken off a window that must not wait for the user.
    if (line.reportGlobal)
        Messages::setNonBlockingDialogs(true);
    // The simulated machine goes back into its file however the run ends.
    const auto saveMachine = [&] {
        std::string error;
        if (machine && !line.simState.isEmpty() &&
            !saveSimState(line.simState.toStdString(), *machine, &error))
            printTo(stderr,
                    QStringLiteral("zandro: ") + QString::fromStdString(error) + QLatin1Char('\n'));
    };
    MsrBuffer msr(*platform);
    int status = 0;
    {
        TfrmMSR window(*platform, msr,
                       {commandRun ? QStringList() : line.arguments, executablePath(argv[0]),
                        QString(), journalPath(line)});
        if (!window.FormCreate()) {
            saveMachine();
            return kExitDeclined;
        }
        if (!window.configurationApplied())
            window.show();
        QApplication::processEvents();

        if (line.restoring)
            status = restoreOriginals(window, line.arguments.value(0));
        if (line.checking)
            status = checkFile(window, line.check, line.arguments.value(0));

        Automation automation(window);
        for (const QString& action : commandRun ? QStringList() : line.actions) {
            QString why;
            if (!automation.run(action, &why)) {
                printTo(stderr, QStringLiteral("ZANDRO action: %1: %2\n").arg(action, why));
                status = kExitUsage;
                break;
            }
        }
        if (status == 0 && line.report)
            printTo(stdout, automation.report());
        if (status == 0 && line.reportGlobal)
            printTo(stdout, openGlobalWindow(window)->report());
        if (headless || line.report || line.reportGlobal || status != 0 || commandRun) {
            window.close();
        } else {
            QObject::connect(&window, &TfrmMSR::closing, &app, &QApplication::quit,
                             Qt::QueuedConnection);
            if (window.isVisible() || window.tmrShowForm->isActive())
                app.exec();
        }
        if (status == 0 && headless && !commandRun && window.configurationNamed()) {
            if (!window.configurationApplied())
                status = kExitNotApplied;
            else if (window.configurationWriteFailures() > 0)
                status = kExitWritesFailed;
        }
    }

    saveMachine();
    return status;
}
