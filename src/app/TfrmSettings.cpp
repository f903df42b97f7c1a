#include "TfrmSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

#include "SettingsStore.h"
#include "families/PageContext.h"
#include "families/TabSheet.h"

namespace zandro {

namespace {
QCheckBox* addCheck(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->move(x, y);
    box->adjustSize();
    return box;
}

QLabel* addNote(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->move(x, y);
    label->adjustSize();
    return label;
}
}  // namespace

TfrmSettings::TfrmSettings(SettingsStore& store, AppFlags& flags, std::function<void()> refreshAll,
                           std::function<void()> saveConfiguration,
                           std::function<void()> restoreOriginals, QWidget* parent)
    : QDialog(parent),
      m_store(store),
      m_flags(flags),
      m_refreshAll(std::move(refreshAll)),
      m_saveConfiguration(std::move(saveConfiguration)),
      m_restoreOriginals(std::move(restoreOriginals)) {
    setObjectName(QStringLiteral("TfrmSettings"));
    setWindowTitle(QStringLiteral("Configuration"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(287, 277);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->setGeometry(0, 0, 287, 249);

    // Tab sheets, so that automation brings them to the front as it does a family page's.
    auto* general = new TabSheet(QStringLiteral("TabSheet1"), QStringLiteral("General"));
    pages->addTab(general, general->caption());
    Config_User_protectionCheckBox = addCheck(general, "Config_User_protectionCheckBox",
                                              QStringLiteral("Enable user protection"), 8, 18);
    addNote(general, "Label3",
            QStringLiteral("- This will disable some settings that your processor\n"
                           "  does not support and that may result in unexpected\n"
                           "  behavior. Selecting a processor you do not have\n"
                           "  will be forbiden as well as some features afected\n"
                           "  by CPU bugs ect. Uncheck this only for experimental\n"
                           "  purposes!"),
            8, 43);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton),
                              QStringLiteral("Save Current Configuration"), general);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(56, 136, 169, 41);
    // Below the save button, as wide, in the room the sheet has left under it.
    btnRestoreOriginal = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload),
                                         QStringLiteral("Restore original values"), general);
    btnRestoreOriginal->setObjectName(QStringLiteral("btnRestoreOriginal"));
    btnRestoreOriginal->setGeometry(56, 183, 169, 30);

    auto* pstates = new TabSheet(QStringLiteral("TabSheet2"),
                                 QStringLiteral("Athlon 64 P-States Transitioning"));
    pages->addTab(pstates, pstates->caption());
    Config_RealPriorityCheckBox =
        addCheck(pstates, "Config_RealPriorityCheckBox",
                 QStringLiteral("Use Real-Time Priority for P-States transitioning"), 8, 18);
    addNote(pstates, "Label84",
            QStringLiteral("- Using real-time process priority may help while\n"
                           "  performing voltage adjustments because other\n"
                           "  software should not load CPU while stabilizing\n"
                           "  voltage regulator."),
            8, 43);
    Config_HalfMultisCheckBox = addCheck(pstates, "Config_HalfMultisCheckBox",
                                         QStringLiteral("Allow .5x multipliers"), 8, 106);
    addNote(pstates, "Label1",
            QStringLiteral("- Athlon 64 processors do not officially support\n"
                           "  multipliers like 8.5x because of lower memory\n"
                           "  performance."),
            8, 131);

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(0, 250, 286, 25);
    btnOK->setDefault(true);
    btnOK->setCursor(Qt::PointingHandCursor);

    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(btnRestoreOriginal, &QPushButton::clicked, this, [this] {
        if (m_restoreOriginals)
            m_restoreOriginals();
    });
}

void TfrmSettings::btnOKClick() {
    m_flags.UserProtection = Config_User_protectionCheckBox->isChecked();
    m_store.writeBool(QStringLiteral("Settings"), QStringLiteral("user_protection"),
                      m_flags.UserProtection);
    m_flags.RealTimePriority = Config_RealPriorityCheckBox->isChecked();
    m_store.writeBool(QStringLiteral("Settings"), QStringLiteral("RealPriority"),
                      m_flags.RealTimePriority);
    m_flags.HalfMultipliers = Config_HalfMultisCheckBox->isChecked();
    m_store.writeBool(QStringLiteral("Settings"), QStringLiteral("HalfMultis"),
                      m_flags.HalfMultipliers);
    if (m_refreshAll)
        m_refreshAll();
    accept();
}

void TfrmSettings::BitBtn1Click() {
    if (m_saveConfiguration)
        m_saveConfiguration();
}

}  // namespace zandro
