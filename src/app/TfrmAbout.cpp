#include "TfrmAbout.h"

#include <QLabel>

#include "FamilyIcons.h"

namespace zandro {

namespace {
QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                 int pointSize, bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont f = label->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    label->setFont(f);
    label->move(x, y);
    label->adjustSize();
    return label;
}
}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfrmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(286, 205);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(8, 24, 119, 67);
    image->setPixmap(aboutPicture(119, 67));

    addLabel(this, "Label1", QStringLiteral("Idea, programming:"), 143, 25, 11, true);
    addLabel(this, "Label2", QStringLiteral("The ZANDRO developers"), 159, 49, 9);
    addLabel(this, "Label5", QStringLiteral("and contributors"), 159, 73, 9);
    auto* version = addLabel(this, "Label6", QStringLiteral("Version: 0.90"), 15, 105, 9);
    QFont mono(QStringLiteral("Courier New"), 9);
    mono.setStyleHint(QFont::TypeWriter);
    mono.setItalic(true);
    version->setFont(mono);
    version->adjustSize();
    addLabel(this, "Label3", QStringLiteral("Driver information:"), 10, 145, 11, true);
    auto* driver = addLabel(this, "Label7",
                            QStringLiteral("Linux msr driver by H. Peter Anvin\n"
                                           "https://www.kernel.org"),
                            10, 165, 9);
    driver->setFixedSize(270, 32);  // two lines of 9 pt need a little more than 26
}

}  // namespace zandro
