#include "K5K6Page.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "EditBox.h"
#include "Messages.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "config/K5K6Rows.h"
#include "core/MsrBuffer.h"

namespace zandro {

namespace {

constexpr size_t kRowsAboveLimit = 2;  // the limit group sits above the system call row
constexpr unsigned kLimitHigh = 7;     // C0000082h bits 7..1: limit in 4 MByte blocks
constexpr unsigned kLimitLow = 1;
constexpr int kLimitMax = 127;
constexpr uint16_t kLimitCode = 522;
const QString kLabelHead = QStringLiteral("Set limit to") + QString(21, QLatin1Char(' ')) +
                           QStringLiteral("blocks of 4 MBytes.\n\r\n\rThat is ");

}  // namespace

K5K6Page::K5K6Page(const PageContext& context, QWidget* parent, PageBuild build)
    : FamilyPage(QStringLiteral("pgctrlK6"), FamilyK5K6, context, parent),
      m_k5Rows(context, [this] { K5_RefreshStatus(); }),
      m_k6Rows(context, [this] { K6_RefreshStatus(); }) {
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

void K5K6Page::buildK5(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    m_k5Rows.build(builder, kK5Rows);
    builder.finish();
}

void K5K6Page::buildK6(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    m_k6Rows.build(builder, std::span(kK6Rows).first(kRowsAboveLimit));

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

    m_k6Rows.build(builder, std::span(kK6Rows).subspan(kRowsAboveLimit));
    builder.finish();
}

void K5K6Page::K5_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    msr.Index = kK5Hwcr;
    msr.ReadMsr();
    // Write allocate exists on the K5 only from stepping 4 on.
    m_k5Rows.show(true);
}

void K5K6Page::K6_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    msr.Index = kK6Whcr;
    msr.ReadMsr();
    m_k6Rows.show();
    m_limit->showRead(
        msr, QString::number(msr.MsrBits(kLimitHigh, kLimitLow) * 4) + QStringLiteral("MBytes"));
    msr.Index = kK6Efer;
    msr.ReadMsr();
    m_k6Rows.show();
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
    msr.Index = kK6Whcr;
    msr.ReadMsr();
    const uint32_t mask = ((uint32_t(1) << (kLimitHigh - kLimitLow + 1)) - 1) << kLimitLow;
    msr.Low = (msr.Low & ~mask) | (uint32_t(blocks) << kLimitLow);
    msr.WriteMsr();
    K6_RefreshStatus();
    return true;
}

std::vector<OptionRecord> K5K6Page::savedOptions() const {
    std::vector<OptionRecord> records = m_k5Rows.saved();
    for (const OptionRecord& record : m_k6Rows.saved())
        records.push_back(record);
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
    const RecordAction k5 = m_k5Rows.apply(record);
    return k5 == RecordAction::NotMine ? m_k6Rows.apply(record) : k5;
}

}  // namespace zandro
