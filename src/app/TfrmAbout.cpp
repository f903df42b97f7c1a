#include "TfrmAbout.h"

#include <QLabel>

#include "FamilyIcons.h"

namespace zandro {

namespace {
// The window's design gives 11 pt and 9 pt at 96 dots per inch. Set in pixels, the texts keep the
// size that the fixed places were made for on any screen (an X server's own DPI, Xvfb's, or a
// scale factor), so none is cut.
constexpr int kHeadingPixels = 14;
constexpr int kTextPixels = 12;

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                 int pixelSize, bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont f = label->font();
    f.setPixelSize(pixelSize);
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

    addLabel(this, "Label1", QStringLiteral("Idea, programming:"), 143, 25, kHeadingPixels, true);
    addLabel(this, "Label2", QStringLiteral("ZANDRO developers"), 159, 49, kTextPixels);
    addLabel(this, "Label5", QStringLiteral("and contributors"), 159, 73, kTextPixels);
    auto* version = addLabel(this, "Label6", QStringLiteral("Version: 0.90"), 15, 105, kTextPixels);
    QFont mono(QStringLiteral("Courier New"));
    mono.setPixelSize(kTextPixels);
    mono.setStyleHint(QFont::TypeWriter);
    mono.setItalic(true);
    version->setFont(mono);
    version->adjustSize();
    addLabel(this, "Label3", QStringLiteral("Driver information:"), 10, 145, kHeadingPixels, true);
    auto* driver = addLabel(this, "Label7",
                            QStringLiteral("Linux msr driver by H. Peter Anvin\n"
                                           "https://www.kernel.org"),
                            10, 165, kTextPixels);
    driver->setFixedSize(270, 32);  // two lines need a little more than the design's 26
}

}  // namespace zandro
