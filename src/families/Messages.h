#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QDialog;
class QWidget;

namespace zandro {

enum class MsgKind { Plain, Error, Warning, Information };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// Every message box of the program goes through here, so that a headless run can write it to
// stderr and tests can read and answer it.
class Messages {
public:
    using Handler = std::function<MsgAnswer(MsgKind, const QString&, MsgButtons)>;

    static MsgAnswer show(QWidget* parent, MsgKind kind, const QString& text,
                          MsgButtons buttons = MsgButtons::Ok);

    // Headless: "ZANDRO <kind>: <text>" on stderr; Yes/No questions get assumeYes.
    static void setHeadless(bool assumeYes);
    // Replaces the message boxes (tests); an empty handler restores the boxes.
    static void setHandler(Handler handler);

    // Headless runs and tests show modal windows without blocking, so that actions can reach them.
    static bool nonBlockingDialogs();
    static void setNonBlockingDialogs(bool on);
    // Shows a modal window: exec() normally, show() when dialogs must not block.
    static void runModal(QDialog* dialog);

    // A read-modify-write whose read failed: "Could not read Model Specific Register 1A0h on
    // processor 0. Nothing was written."
    static QString nothingWritten(uint32_t index, int processor);

    // The one-line form of a message: line feeds and carriage returns as \n and \r.
    static QString escaped(const QString& text);
    static const char* kindName(MsgKind kind);
};

}  // namespace zandro
