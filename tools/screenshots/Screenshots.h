#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace zandro {

// One picture written by takeScreenshots: the file, the size of the widget it shows, and the
// status panels in it that showed "---" while enabled (a register that did not read, or a watch
// that had not fired yet).
struct Screenshot {
    QString file;
    QSize size;
    QStringList unreadPanels;
};

// Shows every family page, tab by tab, each from a simulated profile whose processor has the
// registers and features the tab shows, and the Configuration, About and Global MSR windows with
// each of their tabs (a window with tabs is shot once per tab only), and writes each as a PNG
// grabbed from the widget itself into folder. The 1.5 s watches of a tab fire before it is shot.
// Needs a QApplication. Notes (such as a page or window that this build lacks) go to notes.
std::vector<Screenshot> takeScreenshots(const QString& folder, QStringList* notes);

}  // namespace zandro
