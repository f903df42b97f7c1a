#include "TfrmMSR.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <array>

#include "ConfigurationRun.h"
#include "FamilyIconColumn.h"
#include "FileAssociation.h"
#include "JournalRestore.h"
#include "RegisterJournal.h"
#include "SettingsLocation.h"
#include "TfrmAbout.h"
#include "TfrmGlobalMSR.h"
#include "TfrmSettings.h"
#include "core/CoreClock.h"
#include "core/MsrBuffer.h"
#include "core/ProcessorSelection.h"
#include "families/FamilyPage.h"
#include "families/Messages.h"
#include "families/ThermalMonitorTab.h"
#include "platform/Platform.h"

namespace zandro {

namespace {

// Client size that gives the fixed 463 x 436 outer size with a single border and a caption.
constexpr int kClientWidth = 457;
constexpr int kClientHeight = 409;

struct DriverMessage {
    int32_t status;
    const char* text;
};
const std::array<DriverMessage, 4> kDriverMessages = {{
    {DriverStatus::NotRegistered, "Driver not registered"},
    {DriverStatus::UnsupportedOs, "Incompatible operating system"},
    {DriverStatus::NotRunning, "Driver not running"},
    {DriverStatus::Failed, "Unknown error occured"},
}};

QToolButton* flatButton(QWidget* parent, const char* name, const QString& text, QRect geometry,
                        bool activeCaption) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setGeometry(geometry);
    QFont f = button->font();
    f.setBold(true);
    button->setFont(f);
    if (activeCaption) {
        QPalette pal = button->palette();
        pal.setColor(QPalette::ButtonText, pal.color(QPalette::Active, QPalette::Highlight));
        button->setPalette(pal);
    }
    return button;
}

}  // namespace

TfrmMSR::TfrmMSR(Platform& platform, MsrBuffer& msr, Startup startup, QWidget* parent)
    : QWidget(parent),
      m_platform(platform),
      m_msr(msr),
      m_startup(std::move(startup)),
      m_context{platform, msr, m_flags, *this},
      m_familyKind(families().first().kind) {
    setObjectName(QStringLiteral("frmMSR"));
    setWindowTitle(QStringLiteral("ZANDRO"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);

    buildTopRow();
    buildIconColumn();
    buildPages();

    Frequency_timer = new QTimer(this);
    Frequency_timer->setObjectName(QStringLiteral("Frequency_timer"));
    Frequency_timer->setInterval(1500);
    connect(Frequency_timer, &QTimer::timeout, this, [this] { Frequency_timerTimer(); });
    Overheating_timer = new QTimer(this);
    Overheating_timer->setObjectName(QStringLiteral("Overheating_timer"));
    Overheating_timer->setInterval(1500);
    connect(Overheating_timer, &QTimer::timeout, this, [this] { Overheating_timerTimer(); });
    tmrShowForm = new QTimer(this);
    tmrShowForm->setObjectName(QStringLiteral("tmrShowForm"));
    tmrShowForm->setInterval(1);
    connect(tmrShowForm, &QTimer::timeout, this, [this] { tmrShowFormTimer(); });

    m_msr.onUnreadWrite = [this](uint32_t index) {
        Messages::show(this, MsgKind::Error, Messages::nothingWritten(index, m_boundProcessor));
    };
}

TfrmMSR::~TfrmMSR() {
    m_msr.onUnreadWrite = nullptr;
    m_msr.beforeWrite = nullptr;
}

void TfrmMSR::buildTopRow() {
    auto* label = new QLabel(QStringLiteral("CPU Select:"), this);
    label->setObjectName(QStringLiteral("Label105"));
    QFont bold = label->font();
    bold.setBold(true);
    if (bold.pixelSize() > 0)
        bold.setPixelSize(bold.pixelSize() * 9 / 8);
    else
        bold.setPointSizeF(bold.pointSizeF() * 9.0 / 8.0);
    label->setFont(bold);
    label->move(23, 9);
    label->adjustSize();

    CPUSelect_Combo = new QComboBox(this);
    CPUSelect_Combo->setObjectName(QStringLiteral("CPUSelect_Combo"));
    CPUSelect_Combo->setGeometry(99, 4, 45, 21);
    CPUSelect_Combo->setMaxVisibleItems(15);
    // Only the user's choice changes the processor; filling the list does not.
    connect(CPUSelect_Combo, &QComboBox::activated, this,
            [this](int index) { CPUSelect_ComboChange(index); });

    auto* global =
        flatButton(this, "SpeedButton1", QStringLiteral("Global MSR"), QRect(176, 5, 81, 21), true);
    connect(global, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    auto* configuration = flatButton(this, "sbtnConfiguration", QStringLiteral("Configuration"),
                                     QRect(288, 5, 89, 21), true);
    auto* about =
        flatButton(this, "abtnAbout", QStringLiteral("About"), QRect(384, 5, 65, 21), true);
    connect(configuration, &QToolButton::clicked, this, [this] { sbtnConfigurationClick(); });
    connect(about, &QToolButton::clicked, this, [this] { abtnAboutClick(); });
}

void TfrmMSR::buildIconColumn() {
    Ikony_ScrollBox = new FamilyIconColumn(families(), this);
    connect(Ikony_ScrollBox, &FamilyIconColumn::familyClicked, this,
            [this](int kind) { familyButtonClick(FamilyKind(kind)); });
}

void TfrmMSR::buildPages() {
    // Only the page the user sees is built; see FamilyPage::ensureBuilt.
    for (const FamilyEntry& family : families().entries()) {
        FamilyPage* page = family.makePage(m_context, this, PageBuild::WhenNeeded);
        page->move(145, 28);
        m_pages.push_back(page);
    }
    lblNoFamilyPage = new QLabel(this);
    lblNoFamilyPage->setObjectName(QStringLiteral("lblNoFamilyPage"));
    lblNoFamilyPage->setWordWrap(true);
    lblNoFamilyPage->setGeometry(155, 38, kClientWidth - 175, 60);
    lblNoFamilyPage->hide();
}

QString TfrmMSR::argument(int n) const {
    return n < m_startup.arguments.size() ? m_startup.arguments[n] : QString();
}

bool TfrmMSR::configurationNamed() const {
    const QString first = argument(0).toUpper();
    return !first.isEmpty() && first != QLatin1String("INSTALLREG") &&
           first != QLatin1String("UNINSTALLREG");
}

QPoint TfrmMSR::defaultPosition() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QPoint(0, 0);
    const QRect area = screen->availableGeometry();
    return QPoint(area.x() + qMax(0, (area.width() - 463) / 2),
                  area.y() + qMax(0, (area.height() - 436) / 2));
}

void TfrmMSR::readWindowPosition() {
    const QPoint fallback = defaultPosition();
    QPoint position = fallback;
    bool usable = true;
    struct Edge {
        const char* key;
        int* coordinate;
        int current;
    };
    const std::array<Edge, 2> edges = {{{"PositionLeft", &position.rx(), fallback.x()},
                                        {"PositionTop", &position.ry(), fallback.y()}}};
    for (const Edge& edge : edges) {
        const QString key = QString::fromLatin1(edge.key);
        const QString text = m_settings->readString(QStringLiteral("MainWindow"), key);
        if (text.isEmpty()) {
            m_settings->writeString(QStringLiteral("MainWindow"), key,
                                    QString::number(edge.current));
            continue;
        }
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        // A value that is not a number is ignored rather than stopping the start-up.
        if (ok)
            *edge.coordinate = value;
        else
            usable = false;
    }
    // A position on no screen (a monitor since removed) would hide the window.
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(QRect(position, QSize(463, 436))))
            onScreen = true;
    }
    move(usable && onScreen ? position : fallback);
}

void TfrmMSR::applyStoredTexts() {
    for (FamilyPage* page : m_pages) {
        for (const KeptText& kept : page->keptTexts()) {
            const QString value = m_settings->readString(QString::fromLatin1(kept.section),
                                                         QString::fromLatin1(kept.key));
            if (!value.isEmpty())
                page->setKeptText(kept, value);
        }
    }
}

void TfrmMSR::storeTexts() {
    for (FamilyPage* page : m_pages) {
        for (const KeptText& kept : page->keptTexts())
            m_settings->writeString(QString::fromLatin1(kept.section),
                                    QString::fromLatin1(kept.key), page->keptText(kept));
    }
}

bool TfrmMSR::FormCreate() {
    const QString settingsPath =
        m_startup.installBin.isEmpty()
            ? SettingsLocation::settingsFile(m_startup.executablePath)
            : SettingsLocation::settingsFile(m_startup.executablePath, m_startup.installBin);
    if (!QFileInfo::exists(settingsPath)) {
        const MsgAnswer answer = Messages::show(
            this, MsgKind::Warning,
            QStringLiteral("THIS PROGRAM IS FOR POWER USERS ONLY.\n\rSOME SETTINGS MAY CAUSE YOUR "
                           "SYSTEM TO FAIL!\n\r\n\rYOU USE THIS PROGRAM AT YOUR OWN RISK!!!\n\rDO "
                           "YOU WANT TO CONTINUE?"),
            MsgButtons::YesNo);
        if (answer != MsgAnswer::Yes)
            return false;
    }
    m_settings = std::make_unique<SettingsStore>(settingsPath);
    m_settings->onWriteFailed = [this](const QString& why) {
        Messages::show(this, MsgKind::Error,
                       QStringLiteral("Could not save the settings: %1.").arg(why));
    };
    readWindowPosition();
    applyStoredTexts();
    m_flags.UserProtection =
        m_settings->readBool(QStringLiteral("Settings"), QStringLiteral("user_protection"), true);
    m_flags.RealTimePriority =
        m_settings->readBool(QStringLiteral("Settings"), QStringLiteral("RealPriority"), false);
    m_flags.HalfMultipliers =
        m_settings->readBool(QStringLiteral("Settings"), QStringLiteral("HalfMultis"), false);

    // Every write from here on, whatever its path, first puts the register's value on record.
    m_journal = std::make_unique<RegisterJournal>(*this, m_startup.journalPath);
    m_journal->attach();

    setFixedSize(kClientWidth, kClientHeight);
    // Right after boot the driver may still be loading.
    if (m_platform.tickCountMs() < 100000)
        m_platform.sleepMs(5000);
    CheckDriverStatus();
    TestMsrAccess();
    AutoSelectCPU();
    ListProcessors();
    RefreshAll();

    const QString first = argument(0).toUpper();
    if (first == QLatin1String("INSTALLREG"))
        installFileAssociation(this, m_startup.executablePath);
    if (first == QLatin1String("UNINSTALLREG"))
        removeFileAssociation(this);

    m_configurationApplied = RunTime_Set();
    if (m_configurationApplied) {
        hide();
        setWindowState(Qt::WindowMinimized);
        tmrShowForm->start();
    }
    return true;
}

void TfrmMSR::FormClose() {
    if (m_closed || !m_settings)
        return;
    m_closed = true;
    const QPoint position = pos();
    m_settings->writeString(QStringLiteral("MainWindow"), QStringLiteral("PositionLeft"),
                            QString::number(position.x()));
    m_settings->writeString(QStringLiteral("MainWindow"), QStringLiteral("PositionTop"),
                            QString::number(position.y()));
    storeTexts();
    Frequency_timer->stop();
    Overheating_timer->stop();
}

void TfrmMSR::closeEvent(QCloseEvent* event) {
    FormClose();
    emit closing();
    event->accept();
}

bool TfrmMSR::SelectProcessor(int n) {
    const bool ok = bindProcessor(m_platform, n);
    if (ok)
        m_boundProcessor = n >= 0 && n <= 31 ? n : 0;  // out of range binds processor 0
    else
        Messages::show(this, MsgKind::Error,
                       QStringLiteral("Processor could not be changed! Unknown error occured."));
    RefreshAll();
    return ok;
}

void TfrmMSR::ListProcessors() {
    const std::vector<unsigned> present = presentProcessors(m_msr);
    CPUSelect_Combo->clear();
    for (unsigned n : present)
        CPUSelect_Combo->addItem(QString::number(n));
    CPUSelect_Combo->setEnabled(present.size() >= 2);
    SelectProcessor(0);
    CPUSelect_Combo->setCurrentIndex(0);
}

void TfrmMSR::CPUSelect_ComboChange(int index) {
    const int n = processorFromEntry(CPUSelect_Combo->itemText(index).toStdString());
    if (n >= 0)
        SelectProcessor(n);
}

void TfrmMSR::CheckDriverStatus() {
    const int32_t status = m_platform.driverStatus();
    for (const DriverMessage& message : kDriverMessages) {
        if (message.status == status)
            Messages::show(this, MsgKind::Plain, QString::fromLatin1(message.text));
    }
}

void TfrmMSR::TestMsrAccess() {
    m_msr.Index = 0x10;
    if (!m_msr.ReadMsr())
        Messages::show(this, MsgKind::Error,
                       QStringLiteral("Error accessing general Model Specific Register 10h (Time "
                                      "Stamp Counter)! MSR access is probably\n\rblocked by other "
                                      "application. Driver load failure."));
}

void TfrmMSR::NastavStranky(FamilyPage* page) {
    // The page losing the place gets its exit event before the new one shows.
    for (FamilyPage* other : m_pages) {
        if (other != page)
            other->setShown(false);
    }
    page->move(145, 28);
    page->setShown(true);
    lblNoFamilyPage->hide();
}

FamilyPage* TfrmMSR::page(FamilyKind kind) const {
    FamilyPage* page = m_pages[size_t(kind)];
    page->ensureBuilt();
    return page;
}

QWidget* TfrmMSR::findControl(const QString& name) const {
    auto* control = findChild<QWidget*>(name);
    for (FamilyPage* page : m_pages) {
        if (control)
            break;
        if (page->isBuilt())
            continue;
        page->ensureBuilt();
        control = page->findChild<QWidget*>(name);
    }
    // A page found by its name is wanted with its controls.
    if (auto* page = qobject_cast<FamilyPage*>(control))
        page->ensureBuilt();
    return control;
}

FamilyPage* TfrmMSR::visiblePage() const {
    for (FamilyPage* page : m_pages) {
        if (page->isShown())
            return page;
    }
    return nullptr;
}

void TfrmMSR::familyButtonClick(FamilyKind kind) {
    m_familyKind = kind;
    if (families().entry(kind).detect(m_platform) || !m_flags.UserProtection) {
        NastavStranky(page(kind));
        return;
    }
    Messages::show(this, MsgKind::Error,
                   QStringLiteral("Your system does not seem to contain selected CPU and user "
                                  "protection is enabled.\n\rIf you still want to select this "
                                  "CPU, disable user protection in configuration menu."));
    AutoSelectCPU();
}

void TfrmMSR::AutoSelectCPU() {
    for (const FamilyEntry& family : families().entries()) {
        if (!family.detect(m_platform))
            continue;
        const FamilyKind kind = family.kind;
        Ikony_ScrollBox->button(kind)->setChecked(true);
        familyButtonClick(kind);
        Ikony_ScrollBox->bringIntoView(kind);
    }
    if (!visiblePage()) {
        lblNoFamilyPage->setText(QString::fromStdString(unmatchedProcessorText(m_platform)));
        lblNoFamilyPage->show();
    }
}

void TfrmMSR::RefreshAll() {
    // A page not built yet keeps its fill until it is, so the registers are read as always.
    for (FamilyKind kind : families().listFillOrder())
        m_pages[size_t(kind)]->fillLists();
    ObnovitStatusy();
}

void TfrmMSR::ObnovitStatusy() {
    if (size_t(m_familyKind) < m_pages.size())
        page(m_familyKind)->refreshStatus();
}

void TfrmMSR::Frequency_timerTimer() {
    const QString text =
        (QString::number(MeasureCoreClock(m_platform)) + QStringLiteral(" MHz")).left(15);
    for (FamilyPage* page : m_pages)
        page->setCoreClockText(text);
}

// The overheat watch updates the thermal tabs of both Intel families, visible or not.
void TfrmMSR::Overheating_timerTimer() {
    const OverheatReading reading = ThermalMonitorTab::readOverheat(m_msr);
    for (FamilyPage* page : m_pages)
        page->showOverheat(reading);
}

void TfrmMSR::setFrequencyTimer(bool on) {
    if (on)
        Frequency_timer->start();
    else
        Frequency_timer->stop();
}

void TfrmMSR::setOverheatingTimer(bool on) {
    if (on)
        Overheating_timer->start();
    else
        Overheating_timer->stop();
}

void TfrmMSR::sbtnConfigurationClick() {
    auto* settings = new TfrmSettings(
        *m_settings, m_flags, [this] { RefreshAll(); }, [this] { SaveConfiguration(); },
        [this] { JournalRestore(*this).askAndRestore(boundProcessor()); }, this);
    settings->Config_User_protectionCheckBox->setChecked(m_flags.UserProtection);
    settings->Config_RealPriorityCheckBox->setChecked(m_flags.RealTimePriority);
    settings->Config_HalfMultisCheckBox->setChecked(m_flags.HalfMultipliers);
    Messages::runModal(settings);
}

TfrmGlobalMSR* TfrmMSR::SpeedButton1Click() {
    auto* global = new TfrmGlobalMSR(m_msr, m_flags, this);
    Messages::runModal(global);
    return global;
}

void TfrmMSR::abtnAboutClick() {
    Messages::runModal(new TfrmAbout(this));
}

void TfrmMSR::tmrShowFormTimer() {
    tmrShowForm->stop();
    for (int n = 0; n < 3; ++n) {
        if (argument(n).toUpper() == QLatin1String("NOCLOSE")) {
            setWindowState(Qt::WindowNoState);
            show();
            return;
        }
    }
    close();
}

bool TfrmMSR::RunTime_Set() {
    ConfigurationRun run(*this, m_startup.arguments);
    const bool applied = run.RunTime_Set();
    m_configurationWriteFailures = run.failedWrites() + run.notAppliedRecords();
    // The run leaves the process bound to the last processor it applied; the box says which.
    const int entry = CPUSelect_Combo->findText(QString::number(m_boundProcessor));
    if (entry >= 0)
        CPUSelect_Combo->setCurrentIndex(entry);
    return applied;
}

void TfrmMSR::SaveConfiguration() {
    saveConfiguration(*this);
}

}  // namespace zandro
