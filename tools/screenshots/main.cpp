// Writes the screenshots of every family page, tab by tab, and of the auxiliary windows, from the
// simulated profiles on Qt's offscreen platform.   zandro_screenshots [FOLDER]
#include <QApplication>
#include <cstdio>

#include "Screenshots.h"
#include "app/Appearance.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zandro::applyAppearance(app);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
    QStringList notes;
    const auto shots = zandro::takeScreenshots(folder, &notes);
    for (const QString& n : notes)
        std::fprintf(stderr, "zandro_screenshots: %s\n", qPrintable(n));
    // A third column names the enabled panels that showed "---" in the picture.
    for (const auto& s : shots)
        std::printf("%s\t%dx%d\t%s\n", qPrintable(s.file), s.size.width(), s.size.height(),
                    qPrintable(s.unreadPanels.join(QLatin1Char(' '))));
    return shots.empty() ? 1 : 0;
}
