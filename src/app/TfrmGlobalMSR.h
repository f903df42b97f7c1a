#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace zandro {

class MsrBuffer;
class Platform;
class StatusPanel;
class TabSheet;
struct AppFlags;

// The Global MSR window: the local APIC base register and the machine-check registers, with
// machine-check reporting switched globally and per bank.
class TfrmGlobalMSR : public QDialog {
    Q_OBJECT
public:
    TfrmGlobalMSR(MsrBuffer& msr, const AppFlags& flags, QWidget* parent = nullptr);

    void RefreshGlobalMsr();
    void Global_APICShow() { RefreshGlobalMsr(); }
    void Global_MachineCheckShow();
    void Global_MCAOneRegisterComboChange() { RefreshGlobalMsr(); }
    void Global_MCAGlobalENClick() { writeGlobal(~uint64_t(0)); }
    void Global_MCAGlobalDISClick() { writeGlobal(0); }
    void Global_MCAOneRegisterENClick() { writeBank(~uint64_t(0)); }
    void Global_MCAOneRegisterDISClick() { writeBank(0); }
    void Global_buttonOKClick() { close(); }

    // The report of the window after its APIC tab and then its Machine Check tab were shown.
    QString report();

    QTabWidget* GlobalMSR_PageControl = nullptr;
    TabSheet* Global_APIC = nullptr;
    TabSheet* Global_MachineCheck = nullptr;
    StatusPanel* Global_APICBaseAddress = nullptr;
    StatusPanel* Global_APICStatus = nullptr;
    StatusPanel* Global_APICClusterID = nullptr;
    StatusPanel* Global_Bootstrap = nullptr;
    StatusPanel* Global_MCAPresence = nullptr;
    StatusPanel* Global_MCEPresence = nullptr;
    StatusPanel* Global_StandardRegistersCount = nullptr;
    StatusPanel* Global_ExtendedRegistersCount = nullptr;
    StatusPanel* Global_MCAGlobalStatus = nullptr;
    QRadioButton* Global_MCAGlobalEN = nullptr;
    QRadioButton* Global_MCAGlobalDIS = nullptr;
    QComboBox* Global_MCAOneRegisterCombo = nullptr;
    StatusPanel* Global_MCAOneRegisterStatus = nullptr;
    QRadioButton* Global_MCAOneRegisterEN = nullptr;
    QRadioButton* Global_MCAOneRegisterDIS = nullptr;
    QPushButton* Global_buttonOK = nullptr;

private:
    void buildApicTab();
    void buildMachineCheckTab();
    void refreshApic();
    void refreshMachineCheck();
    void setBankControlsEnabled(bool enabled);
    void writeGlobal(uint64_t value);
    void writeBank(uint64_t value);

    MsrBuffer& m_msr;
    Platform& m_platform;
    const AppFlags& m_flags;
};

}  // namespace zandro
