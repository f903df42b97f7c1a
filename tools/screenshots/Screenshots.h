#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace zandro {

// One picture written by takeScreenshots: the file and the size of the widget it shows.
struct Screenshot {
    QString file;
    QSize size;
};

// Shows every family page of the simulated profiles, tab by tab, and the Configuration, About
// and Global MSR windows with each of their tabs, and writes each as a PNG grabbed from the
// widget itself into folder. Needs a QApplication. Notes (such as a window that this build lacks)
// go to notes.
std::vector<Screenshot> takeScreenshots(const QString& folder, QStringList* notes);

}  // namespace zandro
