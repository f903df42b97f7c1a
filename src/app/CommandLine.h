#pragma once

#include <QString>
#include <QStringList>

namespace zandro {

// The command line: options anywhere ("--" ends them), as "--name value" or "--name=value", the
// short -h, -? and -v/-V, and up to three arguments (configuration file, processor number,
// NOCLOSE, INSTALLREG, UNINSTALLREG). Any other word that begins with "-" is an error, except a
// negative processor number.
struct CommandLine {
    QStringList arguments;
    QString simulate;
    QString simState;
    QString simLog;
    bool headless = false;
    bool assumeYes = false;
    bool report = false;
    bool reportGlobal = false;
    QString saveAs;           // the headless answer of the file-save dialog
    QString describe;         // a configuration file to describe instead of running
    bool describing = false;  // --describe was given, also with an empty FILE
    bool restoring = false;   // --restore: put the journaled registers back, then end
    QString check;            // --check FILE: what applying FILE would change, then end
    bool checking = false;
    bool help = false;
    bool version = false;
    QStringList actions;
    QString error;  // set when the command line cannot be understood

    bool ok() const { return error.isEmpty(); }
};

CommandLine parseCommandLine(const QStringList& argumentsWithoutProgram);
QString usageText();

}  // namespace zandro
