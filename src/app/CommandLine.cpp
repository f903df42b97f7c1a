#include "CommandLine.h"

#include <QRegularExpression>

namespace zandro {

namespace {

bool validAction(const QString& action) {
    static const QRegularExpression pattern(
        QStringLiteral(
            "^(click:[^=]+|select:[^=]+=-?\\d+|text:[^=]+=.*|leave:[^=]+|tab:[^=]+|wait:\\d+)$"),
        QRegularExpression::DotMatchesEverythingOption);
    return pattern.match(action).hasMatch();
}

}  // namespace

QString usageText() {
    return QStringLiteral(
        "Usage: zandro [OPTION...] [FILE.msr [PROCESSOR] [NOCLOSE]] | [INSTALLREG | UNINSTALLREG]\n"
        "\n"
        "  --simulate PROFILE   run on a simulated machine (--simulate list shows the profiles)\n"
        "  --sim-state FILE     with --simulate: load and save the simulated machine's state\n"
        "  --sim-log FILE       with --simulate: append a trace of the simulated machine\n"
        "  --headless           no window; messages go to stderr\n"
        "  --assume-yes         headless: answer Yes to Yes/No questions\n"
        "  --do ACTION          after start-up: click:NAME, select:NAME=INDEX, text:NAME=TEXT,\n"
        "                       leave:NAME, tab:NAME, wait:MS (repeatable, run in order)\n"
        "  --report             print the report of the current family page, then end\n"
        "  --report-global      print the report of the Global MSR window, then end\n"
        "  --save-as FILE       headless: the file-save dialog answers FILE\n"
        "  --describe FILE      print what a configuration file holds and would do, then end\n"
        "  --help               show this help\n"
        "  --version            show the version\n");
}

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine line;
    bool optionsEnded = false;
    auto fail = [&line](const QString& why) {
        if (line.error.isEmpty())
            line.error = why;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            line.arguments.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) {
                fail(QStringLiteral("option %1 needs a value").arg(arg));
                return {};
            }
            return args[++i];
        };
        if (arg == QLatin1String("--simulate"))
            line.simulate = value();
        else if (arg == QLatin1String("--sim-state"))
            line.simState = value();
        else if (arg == QLatin1String("--sim-log"))
            line.simLog = value();
        else if (arg == QLatin1String("--headless"))
            line.headless = true;
        else if (arg == QLatin1String("--assume-yes"))
            line.assumeYes = true;
        else if (arg == QLatin1String("--report"))
            line.report = true;
        else if (arg == QLatin1String("--report-global"))
            line.reportGlobal = true;
        else if (arg == QLatin1String("--save-as"))
            line.saveAs = value();
        else if (arg == QLatin1String("--describe"))
            line.describe = value();
        else if (arg == QLatin1String("--help"))
            line.help = true;
        else if (arg == QLatin1String("--version"))
            line.version = true;
        else if (arg == QLatin1String("--do")) {
            const QString action = value();
            if (line.ok() && !validAction(action))
                fail(QStringLiteral("action %1 cannot be understood").arg(action));
            line.actions.append(action);
        } else {
            fail(QStringLiteral("unknown option %1").arg(arg));
        }
    }
    if (line.arguments.size() > 3)
        fail(QStringLiteral("too many arguments"));
    if (line.simulate.isEmpty() && !(line.simState.isEmpty() && line.simLog.isEmpty()))
        fail(QStringLiteral("--sim-state and --sim-log need --simulate"));
    return line;
}

}  // namespace zandro
