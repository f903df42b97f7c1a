#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QPushButton;

namespace zandro {

class SettingsStore;
struct AppFlags;

// The Configuration window: the three user settings, the button that saves the current
// family's options as a configuration file, and the one that puts back the selected processor's
// original register values.
class TfrmSettings : public QDialog {
    Q_OBJECT
public:
    TfrmSettings(SettingsStore& store, AppFlags& flags, std::function<void()> refreshAll,
                 std::function<void()> saveConfiguration, std::function<void()> restoreOriginals,
                 QWidget* parent = nullptr);

    QCheckBox* Config_User_protectionCheckBox;
    QCheckBox* Config_RealPriorityCheckBox;
    QCheckBox* Config_HalfMultisCheckBox;
    QPushButton* BitBtn1;
    QPushButton* btnRestoreOriginal;
    QPushButton* btnOK;

    void btnOKClick();
    void BitBtn1Click();

private:
    SettingsStore& m_store;
    AppFlags& m_flags;
    std::function<void()> m_refreshAll;
    std::function<void()> m_saveConfiguration;
    std::function<void()> m_restoreOriginals;
};

}  // namespace zandro
