#include "CommandLine.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

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
        "  --restore [PROCESSOR]  put back the original value of every register changed since\n"
        "                       boot (on every processor, or on one), then end\n"
        "  --check FILE [PROCESSOR]  print what applying FILE would change, apply nothing;\n"
        "                       exit 0 when nothing, 1 when something\n"
        "  -h, --help           show this help\n"
        "  -V, --version        show the version\n"
        "\n"
        "An option's value may also follow an equals sign: --simulate=athlon64.\n");
}

namespace {

enum class Takes { Nothing, Value };

// One row per option: its names, whether it takes a value, and where the value or flag goes.
struct OptionRow {
    QStringList names;
    Takes takes;
    QString CommandLine::*value;
    bool CommandLine::*flag;
};

const std::vector<OptionRow>& optionRows() {
    using L = CommandLine;
    static const std::vector<OptionRow> rows = {
        {{"--simulate"}, Takes::Value, &L::simulate, nullptr},
        {{"--sim-state"}, Takes::Value, &L::simState, nullptr},
        {{"--sim-log"}, Takes::Value, &L::simLog, nullptr},
        {{"--headless"}, Takes::Nothing, nullptr, &L::headless},
        {{"--assume-yes"}, Takes::Nothing, nullptr, &L::assumeYes},
        {{"--report"}, Takes::Nothing, nullptr, &L::report},
        {{"--report-global"}, Takes::Nothing, nullptr, &L::reportGlobal},
        {{"--save-as"}, Takes::Value, &L::saveAs, nullptr},
        {{"--describe"}, Takes::Value, &L::describe, &L::describing},
        {{"--restore"}, Takes::Nothing, nullptr, &L::restoring},
        {{"--check"}, Takes::Value, &L::check, &L::checking},
        {{"--do"}, Takes::Value, nullptr, nullptr},
        {{"--help", "-h", "-?"}, Takes::Nothing, nullptr, &L::help},
        {{"--version", "-v", "-V"}, Takes::Nothing, nullptr, &L::version},
    };
    return rows;
}

const OptionRow* findOption(const QString& name) {
    for (const OptionRow& row : optionRows()) {
        if (row.names.contains(name))
            return &row;
    }
    return nullptr;
}

// Decimal digits of any script, as a pattern's \d reads them, after an optional '-'. Every
// start-up asks this of its options, and a regular expression would cost it a compiler.
bool isWholeNumber(QStringView text) {
    if (text.startsWith(QLatin1Char('-')))
        text = text.mid(1);
    const QList<uint> points = text.toUcs4();
    return !points.isEmpty() &&
           std::all_of(points.begin(), points.end(), [](uint c) { return QChar::isDigit(c); });
}

// "-1" is a processor number (any value outside 0..31 means every processor), not an option.
bool isOption(const QString& arg) {
    return arg.size() > 1 && arg.startsWith(QLatin1Char('-')) && !isWholeNumber(arg);
}

}  // namespace

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine line;
    bool optionsEnded = false;
    auto fail = [&line](const QString& why) {
        if (line.error.isEmpty())
            line.error = why;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || !isOption(arg)) {
            line.arguments.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        // "--name=value" as GNU and Qt accept it; short options take no value.
        const qsizetype equals =
            arg.startsWith(QLatin1String("--")) ? arg.indexOf(QLatin1Char('=')) : -1;
        const QString name = equals < 0 ? arg : arg.left(equals);
        const OptionRow* row = findOption(name);
        if (!row) {
            fail(QStringLiteral("unknown option %1").arg(name));
            continue;
        }
        QString value;
        if (row->takes == Takes::Nothing) {
            if (equals >= 0)
                fail(QStringLiteral("option %1 takes no value").arg(name));
        } else if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            fail(QStringLiteral("option %1 needs a value").arg(name));
        }
        if (row->value)
            line.*(row->value) = value;
        if (row->flag)
            line.*(row->flag) = true;
        if (name == QLatin1String("--do")) {
            if (line.ok() && !validAction(value))
                fail(QStringLiteral("action %1 cannot be understood").arg(value));
            line.actions.append(value);
        }
    }
    if (line.arguments.size() > 3)
        fail(QStringLiteral("too many arguments"));
    if (line.describing && !line.arguments.isEmpty())
        fail(QStringLiteral("--describe takes one FILE and no other argument"));
    if (int(line.restoring) + int(line.checking) + int(line.describing) > 1)
        fail(QStringLiteral("--restore, --check and --describe exclude each other"));
    if ((line.restoring || line.checking) &&
        (line.arguments.size() > 1 ||
         (line.arguments.size() == 1 && !isWholeNumber(line.arguments[0]))))
        fail(QStringLiteral("--restore and --check take at most a PROCESSOR number"));
    if (line.simulate.isEmpty() && !(line.simState.isEmpty() && line.simLog.isEmpty()))
        fail(QStringLiteral("--sim-state and --sim-log need --simulate"));
    return line;
}

}  // namespace zandro
