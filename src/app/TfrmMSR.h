#pragma once

#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "SettingsLocation.h"
#include "SettingsStore.h"
#include "core/Cpuid.h"
#include "families/FamilyRegistry.h"
#include "families/PageContext.h"

class QComboBox;
class QLabel;
class QTimer;

namespace zandro {

class FamilyIconColumn;
class RegisterJournal;
class FamilyPage;
class TfrmGlobalMSR;

// The main window: processor selector, top-row buttons, the family icon column and a page control
// for each family of the registry, with the start-up sequence, the refresh cycle and the closing
// sequence.
class TfrmMSR : public QWidget, public PageHost {
    Q_OBJECT
public:
    struct Startup {
        QStringList arguments;  // ARG1..ARG3 of the command line
        QString executablePath;
        // Where the installed copy lives, which keeps its settings in the user's folder.
        QString installBin =
            QString();  // the install rules' bin folder; empty: found from executablePath
        // The journal of original register values: nothing for $ZANDRO_JOURNAL or the run
        // folder's, empty for one kept in memory only.
        std::optional<QString> journalPath = std::nullopt;
        // The families the window offers.
        FamilyRegistry families = FamilyRegistry::builtIn();
    };

    TfrmMSR(Platform& platform, MsrBuffer& msr, Startup startup, QWidget* parent = nullptr);
    ~TfrmMSR() override;

    // The start-up sequence; false when the first-run warning was declined (exit code 1).
    bool FormCreate();
    void FormClose();

    // Processor access and selection.
    bool SelectProcessor(int n);
    void ListProcessors();
    void CPUSelect_ComboChange(int index);
    void CheckDriverStatus();
    void TestMsrAccess();

    // Family pages.
    // "Set up the pages": shows `page` in the page area and hides the others.
    void NastavStranky(FamilyPage* page);
    void AutoSelectCPU();
    void familyButtonClick(FamilyKind kind);

    // Refresh cycle.
    void RefreshAll();
    // "Refresh the statuses": runs the status routine of the current family page.
    void ObnovitStatusy();

    void Frequency_timerTimer();
    void Overheating_timerTimer();
    void sbtnConfigurationClick();
    // Opens a fresh Global MSR window.
    TfrmGlobalMSR* SpeedButton1Click();
    void abtnAboutClick();
    void tmrShowFormTimer();
    bool RunTime_Set();
    void SaveConfiguration();
    // Register writes refused, and records not applied, while the configuration file was applied.
    int configurationWriteFailures() const { return m_configurationWriteFailures; }
    // The processor the process is bound to.
    int boundProcessor() const { return m_boundProcessor; }
    Platform& platform() const { return m_platform; }
    MsrBuffer& msrBuffer() const { return m_msr; }

    // PageHost
    void setFrequencyTimer(bool on) override;
    void setOverheatingTimer(bool on) override;

    FamilyKind familyKind() const { return m_familyKind; }
    const FamilyRegistry& families() const { return m_startup.families; }
    AppFlags& flags() { return m_flags; }
    // The family's page, built first if nobody has needed it yet.
    FamilyPage* page(FamilyKind kind) const;
    FamilyPage* visiblePage() const;
    // The control of that name in the main window; the family pages not built yet are built
    // until one holds it, so a name is found as if every page had been built at start-up.
    QWidget* findControl(const QString& name) const;
    SettingsStore* settings() const { return m_settings.get(); }
    // The journal of original register values; null before the start-up sequence.
    RegisterJournal* journal() const { return m_journal.get(); }
    bool configurationApplied() const { return m_configurationApplied; }
    // True when ARG1 names a configuration file rather than a keyword or nothing.
    bool configurationNamed() const;

    QComboBox* CPUSelect_Combo = nullptr;
    // "Icons": the scrolling column of family buttons.
    FamilyIconColumn* Ikony_ScrollBox = nullptr;
    QTimer* Frequency_timer = nullptr;
    QTimer* Overheating_timer = nullptr;
    QTimer* tmrShowForm = nullptr;
    // Fills the empty page area when no family page fits the processor.
    QLabel* lblNoFamilyPage = nullptr;

signals:
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTopRow();
    void buildIconColumn();
    void buildPages();
    void readWindowPosition();
    QPoint defaultPosition() const;
    void applyStoredTexts();
    void storeTexts();
    QString argument(int n) const;

    Platform& m_platform;
    MsrBuffer& m_msr;
    Startup m_startup;
    AppFlags m_flags;
    PageContext m_context;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<RegisterJournal> m_journal;
    FamilyKind m_familyKind;
    std::vector<FamilyPage*> m_pages;  // by kind
    bool m_configurationApplied = false;
    int m_configurationWriteFailures = 0;
    bool m_closed = false;
    int m_boundProcessor = 0;  // the processor the last successful SelectProcessor bound
};

}  // namespace zandro
