#include "TfrmGlobalMSR.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "Automation.h"
#include "core/Cpuid.h"
#include "core/MsrBuffer.h"
#include "families/PageContext.h"
#include "families/SheetBuilder.h"
#include "families/StatusPanel.h"
#include "families/TabSheet.h"
#include "platform/Platform.h"

namespace zandro {

namespace {

constexpr uint32_t kApicBase = 0x1B;
constexpr uint32_t kMcgCap = 0x179;
constexpr uint32_t kMcgCtl = 0x17B;
constexpr uint32_t kFirstBankCtl = 0x400;
constexpr int kBanksOffered = 5;

const QString kNotSupported = QStringLiteral("Not Supported");
const QString kNotApplicable = QStringLiteral("N/A");

// Machine-check architecture and exception, CPUID leaf 1 EDX bits 14 and 7.
bool HasMCA(Platform& platform) {
    return (platform.cpuid(1).edx >> 14) & 1u;
}
bool HasMCE(Platform& platform) {
    return (platform.cpuid(1).edx >> 7) & 1u;
}

QString enabledText(bool on) {
    return on ? QStringLiteral("Enabled") : QStringLiteral("Disabled");
}

}  // namespace

TfrmGlobalMSR::TfrmGlobalMSR(MsrBuffer& msr, const AppFlags& flags, QWidget* parent)
    : QDialog(parent), m_msr(msr), m_platform(msr.platform()), m_flags(flags) {
    setObjectName(QStringLiteral("TfrmGlobalMSR"));
    setWindowTitle(QStringLiteral("Global MSR"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(310, 335);

    GlobalMSR_PageControl = new QTabWidget(this);
    GlobalMSR_PageControl->setObjectName(QStringLiteral("GlobalMSR_PageControl"));
    GlobalMSR_PageControl->setGeometry(0, 2, 305, 303);
    GlobalMSR_PageControl->setUsesScrollButtons(false);
    Global_APIC = new TabSheet(QStringLiteral("Global_APIC"), QStringLiteral("APIC"));
    Global_MachineCheck =
        new TabSheet(QStringLiteral("Global_MachineCheck"), QStringLiteral("Machine Check"));
    GlobalMSR_PageControl->addTab(Global_APIC, Global_APIC->caption());
    GlobalMSR_PageControl->addTab(Global_MachineCheck, Global_MachineCheck->caption());
    buildApicTab();
    buildMachineCheckTab();
    Global_APIC->onShow = [this] { Global_APICShow(); };
    Global_MachineCheck->onShow = [this] { Global_MachineCheckShow(); };
    connect(GlobalMSR_PageControl, &QTabWidget::currentChanged, this, [this](int index) {
        if (auto* sheet = qobject_cast<TabSheet*>(GlobalMSR_PageControl->widget(index)))
            sheet->fireShow();
    });

    Global_buttonOK = new QPushButton(QStringLiteral("&OK"), this);
    Global_buttonOK->setObjectName(QStringLiteral("Global_buttonOK"));
    Global_buttonOK->setGeometry(1, 307, 305, 25);
    Global_buttonOK->setDefault(true);
    Global_buttonOK->setCursor(Qt::PointingHandCursor);
    connect(Global_buttonOK, &QPushButton::clicked, this, [this] { Global_buttonOKClick(); });

    if (parent != nullptr)
        move(parent->geometry().center() - rect().center());
    // The window opens on the APIC tab, whose show event reads the registers.
    Global_APICShow();
}

void TfrmGlobalMSR::buildApicTab() {
    SheetBuilder builder(Global_APIC);
    Global_APICBaseAddress = builder.status(builder.group(QStringLiteral(" APIC Base Address ")),
                                            QStringLiteral("Global_APICBaseAddress"));
    Global_APICStatus = builder.status(builder.group(QStringLiteral(" APIC Status ")),
                                       QStringLiteral("Global_APICStatus"));
    Global_APICClusterID = builder.status(builder.group(QStringLiteral(" APIC Cluster ID ")),
                                          QStringLiteral("Global_APICClusterID"));
    Global_Bootstrap =
        builder.status(builder.group(QStringLiteral(" Is this a Bootstrap Processor ? ")),
                       QStringLiteral("Global_Bootstrap"));
    builder.finish();
}

void TfrmGlobalMSR::buildMachineCheckTab() {
    SheetBuilder builder(Global_MachineCheck, true);
    QGroupBox* presence = builder.group(QStringLiteral(" Machine Check "));
    Global_MCAPresence = builder.status(presence, QStringLiteral("Global_MCAPresence"),
                                        QStringLiteral("Architecture:"));
    Global_MCEPresence = builder.status(presence, QStringLiteral("Global_MCEPresence"),
                                        QStringLiteral("Exceptions:"));
    QGroupBox* count = builder.group(QStringLiteral(" Number of machine-check registers "));
    Global_StandardRegistersCount = builder.status(
        count, QStringLiteral("Global_StandardRegistersCount"), QStringLiteral("Standard:"));
    Global_ExtendedRegistersCount = builder.status(
        count, QStringLiteral("Global_ExtendedRegistersCount"), QStringLiteral("Extended:"));

    QGroupBox* global = builder.group(QStringLiteral(" Global Log "));
    Global_MCAGlobalStatus = builder.status(global, QStringLiteral("Global_MCAGlobalStatus"));
    Global_MCAGlobalEN =
        builder.radio(global, QStringLiteral("Global_MCAGlobalEN"), QStringLiteral("Enable"));
    Global_MCAGlobalDIS =
        builder.radio(global, QStringLiteral("Global_MCAGlobalDIS"), QStringLiteral("Disable"));

    QGroupBox* one = builder.group(QStringLiteral(" One Register Log "));
    Global_MCAOneRegisterCombo = builder.combo(one, QStringLiteral("Global_MCAOneRegisterCombo"),
                                               QStringLiteral("Select Register Number:"));
    Global_MCAOneRegisterCombo->setMaxVisibleItems(15);
    Global_MCAOneRegisterStatus =
        builder.status(one, QStringLiteral("Global_MCAOneRegisterStatus"));
    Global_MCAOneRegisterEN =
        builder.radio(one, QStringLiteral("Global_MCAOneRegisterEN"), QStringLiteral("Enable"));
    Global_MCAOneRegisterDIS =
        builder.radio(one, QStringLiteral("Global_MCAOneRegisterDIS"), QStringLiteral("Disable"));
    builder.finish();

    for (QRadioButton* button : {Global_MCAGlobalEN, Global_MCAGlobalDIS, Global_MCAOneRegisterEN,
                                 Global_MCAOneRegisterDIS})
        button->setCursor(Qt::PointingHandCursor);
    connect(Global_MCAGlobalEN, &QRadioButton::clicked, this,
            [this] { Global_MCAGlobalENClick(); });
    connect(Global_MCAGlobalDIS, &QRadioButton::clicked, this,
            [this] { Global_MCAGlobalDISClick(); });
    connect(Global_MCAOneRegisterEN, &QRadioButton::clicked, this,
            [this] { Global_MCAOneRegisterENClick(); });
    connect(Global_MCAOneRegisterDIS, &QRadioButton::clicked, this,
            [this] { Global_MCAOneRegisterDISClick(); });
    // Only the user's choice refreshes; filling the list does not.
    connect(Global_MCAOneRegisterCombo, &QComboBox::activated, this,
            [this] { Global_MCAOneRegisterComboChange(); });
}

void TfrmGlobalMSR::RefreshGlobalMsr() {
    refreshApic();
    refreshMachineCheck();
}

void TfrmGlobalMSR::refreshApic() {
    m_msr.Index = kApicBase;
    if (!m_msr.ReadMsr() && m_flags.UserProtection) {
        for (StatusPanel* panel :
             {Global_APICBaseAddress, Global_APICStatus, Global_APICClusterID, Global_Bootstrap})
            panel->setText(kNotSupported);
        return;
    }
    // The base is shown in 4 KiB pages, as a decimal number.
    Global_APICBaseAddress->showRead(
        m_msr,
        QString::number(IsAthlon64(m_platform) ? m_msr.MsrBits(39, 12) : m_msr.MsrBits(31, 12)));
    Global_APICStatus->showRead(m_msr, enabledText(m_msr.MsrBit(11)));
    Global_Bootstrap->showRead(m_msr,
                               m_msr.MsrBit(8) ? QStringLiteral("yes") : QStringLiteral("no"));
    m_msr.Index = kApicBase;
    m_msr.ReadMsr();
    Global_APICClusterID->showRead(
        m_msr,
        QString::number(IsPentium4(m_platform) ? m_msr.MsrBits(6, 5) : m_msr.MsrBits(17, 16)));
}

void TfrmGlobalMSR::refreshMachineCheck() {
    const bool mca = HasMCA(m_platform);
    Global_MCAPresence->setText(mca ? QStringLiteral("Supported") : kNotSupported);
    Global_MCEPresence->setText(HasMCE(m_platform) ? QStringLiteral("Supported") : kNotSupported);
    const bool protection = m_flags.UserProtection;
    if (!mca && protection) {
        for (StatusPanel* panel : {Global_StandardRegistersCount, Global_ExtendedRegistersCount,
                                   Global_MCAGlobalStatus, Global_MCAOneRegisterStatus})
            panel->setText(kNotApplicable);
        Global_MCAGlobalEN->setEnabled(false);
        Global_MCAGlobalDIS->setEnabled(false);
        setBankControlsEnabled(false);
        return;
    }
    m_msr.Index = kMcgCap;
    m_msr.ReadMsr();
    const uint64_t count = m_msr.MsrBits(7, 0);
    const bool globalControl = m_msr.MsrBit(8);
    Global_StandardRegistersCount->showRead(m_msr, QString::number(count));
    Global_ExtendedRegistersCount->showRead(
        m_msr, m_msr.MsrBit(9) ? QString::number(m_msr.MsrBits(23, 16)) : kNotSupported);

    const bool globalUsable = globalControl || !protection;
    if (globalUsable) {
        m_msr.Index = kMcgCtl;
        m_msr.ReadMsr();
        Global_MCAGlobalStatus->showRead(m_msr, enabledText(m_msr.MsrBit(0)));
    } else {
        Global_MCAGlobalStatus->setText(kNotSupported);
    }
    Global_MCAGlobalEN->setEnabled(globalUsable);
    Global_MCAGlobalDIS->setEnabled(globalUsable);

    const int entry = Global_MCAOneRegisterCombo->currentIndex();
    if ((count >= 1 || !protection) && entry >= 0) {
        m_msr.Index = kFirstBankCtl + 4 * uint32_t(entry);
        m_msr.ReadMsr();
        Global_MCAOneRegisterStatus->showRead(m_msr, enabledText(m_msr.MsrBit(0)));
    }
}

void TfrmGlobalMSR::Global_MachineCheckShow() {
    m_msr.Index = kMcgCap;
    m_msr.ReadMsr();
    const uint64_t count = m_msr.MsrBits(7, 0);
    const bool protection = m_flags.UserProtection;
    if (!HasMCA(m_platform) && protection) {
        // The list stays as it is.
    } else if (count == 0 && protection) {
        setBankControlsEnabled(false);
        Global_MCAOneRegisterStatus->setText(QStringLiteral("None present"));
    } else {
        setBankControlsEnabled(true);
        Global_MCAOneRegisterCombo->clear();
        // At most five banks are offered, however many the processor has.
        const uint64_t offered =
            protection ? std::min<uint64_t>(count, kBanksOffered) : uint64_t(kBanksOffered);
        for (uint64_t bank = 0; bank < std::max<uint64_t>(offered, 1); ++bank)
            Global_MCAOneRegisterCombo->addItem(
                QString::number(kFirstBankCtl + 4 * bank, 16).toUpper() + QLatin1Char('h'));
        Global_MCAOneRegisterCombo->setCurrentIndex(0);
    }
    RefreshGlobalMsr();
}

void TfrmGlobalMSR::setBankControlsEnabled(bool enabled) {
    Global_MCAOneRegisterCombo->setEnabled(enabled);
    Global_MCAOneRegisterEN->setEnabled(enabled);
    Global_MCAOneRegisterDIS->setEnabled(enabled);
}

void TfrmGlobalMSR::writeGlobal(uint64_t value) {
    m_msr.Index = kMcgCtl;
    // Written only over a register that answered; else the write is refused with its message.
    if (m_msr.ReadMsr())
        m_msr.setValue(value);
    m_msr.WriteMsr();
    RefreshGlobalMsr();
}

void TfrmGlobalMSR::writeBank(uint64_t value) {
    const int entry = Global_MCAOneRegisterCombo->currentIndex();
    // With no bank selected there is no register to write.
    if (entry >= 0) {
        m_msr.Index = kFirstBankCtl + 4 * uint32_t(entry);
        m_msr.setValue(value);
        m_msr.WriteMsr();
    }
    RefreshGlobalMsr();
}

QString TfrmGlobalMSR::report() {
    if (GlobalMSR_PageControl->currentWidget() == Global_APIC)
        Global_APICShow();
    else
        GlobalMSR_PageControl->setCurrentWidget(Global_APIC);
    GlobalMSR_PageControl->setCurrentWidget(Global_MachineCheck);
    // Tab sheets in tab order, then the button below them; the tab bar's own parts are left out.
    QString lines = QStringLiteral("page\tTfrmGlobalMSR\n") +
                    Automation::controlLines(Global_APIC) +
                    Automation::controlLines(Global_MachineCheck);
    for (const QString& line : Automation::controlLines(this).split(QLatin1Char('\n'))) {
        if (line.startsWith(Global_buttonOK->objectName() + QLatin1Char('\t')))
            lines += line + QLatin1Char('\n');
    }
    return lines;
}

}  // namespace zandro
