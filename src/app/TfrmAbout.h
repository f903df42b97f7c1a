#pragma once

#include <QDialog>

namespace zandro {

// The static About box opened from the main window.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);
};

}  // namespace zandro
