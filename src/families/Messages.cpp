#include "Messages.h"

#include <QDialog>
#include <QMessageBox>
#include <cstdio>

namespace zandro {

namespace {
Messages::Handler g_handler;
bool g_nonBlocking = false;

MsgAnswer showBox(QWidget* parent, MsgKind kind, const QString& text, MsgButtons buttons) {
    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("ZANDRO"));
    // The texts break lines with LF CR; a lone CR would show as a stray glyph.
    QString shown = text;
    shown.replace(QLatin1String("\n\r"), QLatin1String("\n")).remove(QLatin1Char('\r'));
    box.setText(shown);
    switch (kind) {
        case MsgKind::Plain:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MsgKind::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgKind::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgKind::Information:
            box.setIcon(QMessageBox::Information);
            break;
    }
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgAnswer::Ok;
}
}  // namespace

const char* Messages::kindName(MsgKind kind) {
    switch (kind) {
        case MsgKind::Plain:
            return "plain";
        case MsgKind::Error:
            return "error";
        case MsgKind::Warning:
            return "warning";
        case MsgKind::Information:
            return "information";
    }
    return "plain";
}

QString Messages::nothingWritten(uint32_t index, int processor) {
    return QStringLiteral(
               "Could not read Model Specific Register %1h on processor %2. Nothing was "
               "written.")
        .arg(QString::number(index, 16).toUpper())
        .arg(processor);
}

QString Messages::escaped(const QString& text) {
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    line.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return line;
}

MsgAnswer Messages::show(QWidget* parent, MsgKind kind, const QString& text, MsgButtons buttons) {
    if (g_handler)
        return g_handler(kind, text, buttons);
    return showBox(parent, kind, text, buttons);
}

void Messages::setHeadless(bool assumeYes) {
    g_nonBlocking = true;
    g_handler = [assumeYes](MsgKind kind, const QString& text, MsgButtons buttons) {
        const QByteArray line = QStringLiteral("ZANDRO %1: %2\n")
                                    .arg(QLatin1String(kindName(kind)), escaped(text))
                                    .toLocal8Bit();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
        if (buttons == MsgButtons::YesNo)
            return assumeYes ? MsgAnswer::Yes : MsgAnswer::No;
        return MsgAnswer::Ok;
    };
}

bool Messages::nonBlockingDialogs() {
    return g_nonBlocking;
}

void Messages::setNonBlockingDialogs(bool on) {
    g_nonBlocking = on;
}

void Messages::runModal(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (g_nonBlocking) {
        dialog->show();
        return;
    }
    dialog->exec();
}

void Messages::setHandler(Handler handler) {
    g_handler = std::move(handler);
}

}  // namespace zandro
