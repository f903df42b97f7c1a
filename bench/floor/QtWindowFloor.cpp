// The floor that the program's start-up is measured against: a bare Qt Widgets program that shows
// one window with one line of text on the offscreen platform and ends once its events are done.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("ZANDRO"));
    window.show();
    QApplication::processEvents();
    return 0;
}
