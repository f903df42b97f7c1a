#include "K5K6Page.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "EditBox.h"
#include "Messages.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "core/Cpuid.h"
#include "core/MsrBuffer.h"

namespace zandro {

namespace {

constexpr uint32_t kHwcr = 0x83;        // K5 hardware configuration
constexpr uint32_t kEfer = 0xC0000080;  // extended feature enable
constexpr uint32_t kWhcr = 0xC0000082;  // K6 write handling control
constexpr int kK5WriteAllocateRow = 3;  // usable only from stepping 4 on
constexpr int kFirstK6Row = 5;
constexpr int kLimitBeforeRow = 7;  // the limit group sits above the system call row
constexpr unsigned kLimitHigh = 7;  // C0000082h bits 7..1: limit in 4 MByte blocks
constexpr unsigned kLimitLow = 1;
constexpr int kLimitMax = 127;
constexpr uint16_t kLimitCode = 522;
constexpr uint8_t kFirstWriteAllocateStepping = 4;

const std::array<OptionRow, K5K6Page::kOptionCount> kOptions = {{
    {" Level 1 Data Cache ", "K5_L1DataCache", kHwcr, 7, "Enabled", "Disabled", "K5_L1DataCacheEN",
     "K5_L1DataCacheDIS", false, true, 510},
    {" Level 1 Instruction Cache ", "K5_L1InstructionCache", kHwcr, 6, "Enabled", "Disabled",
     "K5_L1InstructionCacheEN", "K5_L1InstructionCacheDIS", false, true, 511},
    {" Branch Prediction ", "K5_BranchPrediction", kHwcr, 5, "Enabled", "Disabled",
     "K5_BranchPredictionEN", "K5_BranchPredictionDIS", false, false, 512},
    {" Write Allocate ", "K5_WriteAllocate", kHwcr, 4, "Enabled", "Disabled", "K5_WriteAllocateEN",
     "K5_WriteAllocateDIS", false, false, 513},
    {" Clocks Snooping on Halt and Stop Grant ", "K5_ClockSnoop", kHwcr, 0, "Enabled", "Disabled",
     "K5_ClockSnoopEN", "K5_ClockSnoopDIS", false, false, 514},
    {" Write Cacheability Detection ", "K6_WriteAllocate", kWhcr, 8, "Write Allocate Disabled",
     "Write Allocate Enabled", "K6_WriteAllocateEN", "K6_WriteAllocateDIS", true, false, 520},
    {" Write Allocate in 15 to 16 MByte Range ", "K6_WriteAllocate15to16MB", kWhcr, 0, "Disabled",
     "Enabled", "K6_WriteAllocate15to16MBEN", "K6_WriteAllocate15to16MBDIS", true, false, 521},
    {" System Call Extensions ", "K6_SystemCallExtension", kEfer, 0, "Disabled", "Enabled",
     "K6_SystemCallExtensionEN", "K6_SystemCallExtensionDIS", true, false, 523},
}};

const QString kLabelHead = QStringLiteral("Set limit to") + QString(21, QLatin1Char(' ')) +
                           QStringLiteral("blocks of 4 MBytes.\n\r\n\rThat is ");

}  // namespace

K5K6Page::K5K6Page(const PageContext& context, QWidget* parent, PageBuild build)
    : FamilyPage(QStringLiteral("pgctrlK6"), FamilyK5K6, context, parent) {
    setTabsWrap(false);  // the one page whose tabs keep to a single row
    if (build == PageBuild::Now)
        ensureBuilt();
}

void K5K6Page::buildSheets() {
    TabSheet* k5 = addSheet(QStringLiteral("K5_Features"), QStringLiteral("K5 Processor"));
    TabSheet* k6 = addSheet(QStringLiteral("K6_Features"), QStringLiteral("K6 Processor"));
    buildK5(k5);
    buildK6(k6);
    k5->onShow = [this] { K5_RefreshStatus(); };
    k6->onShow = [this] { K6_RefreshStatus(); };
}

QString K5K6Page::limitLabelText(const QString& total) {
    return kLabelHead + total + QStringLiteral(" MBytes total.");
}

void K5K6Page::addOption(SheetBuilder& builder, int row) {
    m_options[size_t(row)] = buildOption(builder, kOptions[size_t(row)], m_records,
                                         [this, row](bool on) { optionClick(row, on); });
}

void K5K6Page::buildK5(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    for (int row = 0; row < kFirstK6Row; ++row)
        addOption(builder, row);
    const OptionRow& writeAllocate = kOptions[kK5WriteAllocateRow];
    m_k5WriteAllocateControls = {m_options[kK5WriteAllocateRow],
                                 findChild<QWidget*>(QString::fromLatin1(writeAllocate.onName)),
                                 findChild<QWidget*>(QString::fromLatin1(writeAllocate.offName))};
    builder.finish();
}

void K5K6Page::buildK6(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    for (int row = kFirstK6Row; row < kLimitBeforeRow; ++row)
        addOption(builder, row);

    QGroupBox* limit = builder.group(QStringLiteral(" Write Allocate Limit "));
    m_limit = builder.status(limit, QStringLiteral("K6_WriteAllocateLimit"));
    K6_WriteAllocateLabel = builder.label(limit, limitLabelText(QStringLiteral("---")),
                                          QStringLiteral("K6_WriteAllocateLabel"));
    // The box sits in the blank run of the label's first line, a sibling laid over the label.
    auto* holder = new QWidget;
    limit->layout()->replaceWidget(K6_WriteAllocateLabel, holder);
    auto* stack = new QVBoxLayout(holder);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(K6_WriteAllocateLabel);
    K6_WriteAllocateLimitBox = new EditBox(QStringLiteral("K6_WriteAllocateLimitBox"), holder);
    K6_WriteAllocateLimitBox->setMaxLength(3);
    K6_WriteAllocateLimitBox->setDigitsOnly(true);
    const QFontMetrics metrics(K6_WriteAllocateLabel->font());
    K6_WriteAllocateLimitBox->setGeometry(
        metrics.horizontalAdvance(QStringLiteral("Set limit to ")), 0,
        metrics.horizontalAdvance(QString(19, QLatin1Char(' '))), metrics.height() + 2);
    K6_WriteAllocateLimitBox->raise();
    connect(K6_WriteAllocateLimitBox, &QLineEdit::textChanged, this,
            [this] { K6_WriteAllocateLimitBoxChange(); });
    QPushButton* set =
        builder.button(limit, QStringLiteral("K6_WriteAllocateLimitSET"), QStringLiteral("Set"));
    connect(set, &QPushButton::clicked, this, [this] { K6_WriteAllocateLimitSETClick(); });

    addOption(builder, kLimitBeforeRow);
    builder.finish();
}

void K5K6Page::showOptions(uint32_t index) {
    const MsrBuffer& msr = context().msr;
    for (size_t row = 0; row < kOptions.size(); ++row) {
        if (kOptions[row].index == index && int(row) != kK5WriteAllocateRow)
            m_options[row]->showRead(msr, optionText(msr, kOptions[row]));
    }
}

void K5K6Page::K5_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    const CpuIdentity id = ReadCpuid(context().platform);
    msr.Index = kHwcr;
    msr.ReadMsr();
    showOptions(kHwcr);
    // Write allocate exists on the K5 only from stepping 4 on.
    const bool writeAllocate =
        id.stepping >= kFirstWriteAllocateStepping || !context().flags.UserProtection;
    for (QWidget* control : m_k5WriteAllocateControls)
        control->setEnabled(writeAllocate);
    if (writeAllocate)
        m_options[kK5WriteAllocateRow]->showRead(msr,
                                                 optionText(msr, kOptions[kK5WriteAllocateRow]));
}

void K5K6Page::K6_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    msr.Index = kWhcr;
    msr.ReadMsr();
    showOptions(kWhcr);
    m_limit->showRead(
        msr, QString::number(msr.MsrBits(kLimitHigh, kLimitLow) * 4) + QStringLiteral("MBytes"));
    msr.Index = kEfer;
    msr.ReadMsr();
    showOptions(kEfer);
}

void K5K6Page::optionClick(int row, bool enable) {
    const OptionRow& option = kOptions[size_t(row)];
    writeOptionBit(context().msr, option, enable == option.onSetsBit);
    if (row < kFirstK6Row)
        K5_RefreshStatus();
    else
        K6_RefreshStatus();
}

void K5K6Page::K6_WriteAllocateLimitBoxChange() {
    bool ok = false;
    const int blocks = K6_WriteAllocateLimitBox->text().toInt(&ok);
    const bool shown = ok && blocks >= 0 && blocks <= kLimitMax;
    K6_WriteAllocateLabel->setText(
        limitLabelText(shown ? QString::number(blocks * 4) : QStringLiteral("---")));
}

bool K5K6Page::K6_WriteAllocateLimitSETClick() {
    const QString text = K6_WriteAllocateLimitBox->text();
    bool ok = false;
    const int blocks = text.toInt(&ok);
    if (!ok) {
        Messages::show(this, MsgKind::Error,
                       QStringLiteral("'%1' is not a valid integer value").arg(text));
        return false;
    }
    if (blocks < 0 || blocks > kLimitMax) {
        Messages::show(this, MsgKind::Warning,
                       QStringLiteral("Please select a value between 0 and 127."));
        return false;
    }
    MsrBuffer& msr = context().msr;
    msr.Index = kWhcr;
    msr.ReadMsr();
    const uint32_t mask = ((uint32_t(1) << (kLimitHigh - kLimitLow + 1)) - 1) << kLimitLow;
    msr.Low = (msr.Low & ~mask) | (uint32_t(blocks) << kLimitLow);
    msr.WriteMsr();
    K6_RefreshStatus();
    return true;
}

std::vector<OptionRecord> K5K6Page::savedOptions() const {
    std::vector<OptionRecord> records = m_records.saved();
    const QString text = K6_WriteAllocateLimitBox->text();
    if (!text.isEmpty())
        records.push_back({kLimitCode, uint8_t(text.toUInt() & 0xFF)});
    sortByCode(records);
    return records;
}

RecordAction K5K6Page::applyRecord(OptionRecord record) {
    if (record.code == kLimitCode) {
        K6_WriteAllocateLimitBox->setText(QString::number(record.value));
        // The Set button says why it refuses a value; the run must not count it as applied.
        return K6_WriteAllocateLimitSETClick() ? RecordAction::Applied : RecordAction::Refused;
    }
    return m_records.apply(record);
}

}  // namespace zandro
