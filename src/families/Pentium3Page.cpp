#include "Pentium3Page.h"

#include <QComboBox>
#include <QPushButton>

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "config/Pentium3Rows.h"
#include "core/MsrBuffer.h"
#include "pstates/CodeTables.h"

namespace zandro {

namespace {

constexpr uint32_t kBbclControl = 0x119;  // bit 21 disables the processor serial number
constexpr unsigned kSerialNumberBit = 21;
constexpr uint16_t kLatencyCode = 441;
constexpr int kLatencyEntries = 16;

// A status-only field: its texts by value; a value without text (or a null) keeps the panel.
struct FieldRow {
    const char* caption;
    const char* panel;
    uint32_t index;
    unsigned high;
    unsigned low;
    std::array<const char*, 8> texts;
};

// Fields 0-1 on the Information tab, 2-5 on the cache info tab.
const std::array<FieldRow, 6> kFields = {{
    {" System Bus Frequency Detect ",
     "P6_SystemBusFrequency",
     kP6PowerOn,
     19,
     18,
     {"66 MHz", "133 MHz", "100 MHz", "Unknown"}},
    {" In Order Queue Depth ", "P6_InOrderQueueDepth", kP6PowerOn, 13, 13, {"8 entry", "1 entry"}},
    {" L2 Hardware",
     "P6_L2Hardware",
     kP6L2Control,
     23,
     23,
     {"Hardware disabled", "Hardware enabled"}},
    {" Number of L2 banks", "P6_NumberOfL2Banks", kP6L2Control, 12, 11, {"0", "1", "2", "3"}},
    {" L2 Associativity ",
     "P6_L2Associativity",
     kP6L2Control,
     10,
     9,
     {"Direct Mapped", "2-Way", "4-Way", "Unknown"}},
    {" L2 Physical Address Range Support ",
     "P6_L2PhysicalAddressRange",
     kP6L2Control,
     22,
     20,
     {"512 MByte", "1 GByte", "2 GByte", "4 GByte", "8 GByte", "16 GByte", "32 GByte", "64 GByte"}},
}};
constexpr int kFirstL2InfoField = 2;

constexpr unsigned kCacheSizeLow = 13;  // 11Eh bits 17..13: one bit per cache size
constexpr unsigned kCacheSizeHigh = 17;
constexpr unsigned kLatencyLow = 1;
constexpr unsigned kLatencyHigh = 4;

QString latencyEntry(int cycles) {
    return QString::number(cycles) +
           (cycles < 2 ? QStringLiteral(" cycle") : QStringLiteral(" cycles"));
}

}  // namespace

Pentium3Page::Pentium3Page(const PageContext& context, QWidget* parent, PageBuild build)
    : FamilyPage(QStringLiteral("pgctrlIPIII"), FamilyPentium3, context, parent),
      m_rows(context, [this] { P6_RefreshStatus(); }) {
    if (build == PageBuild::Now)
        ensureBuilt();
}

void Pentium3Page::buildSheets() {
    TabSheet* sheets[] = {
        addSheet(QStringLiteral("P6_Information"), QStringLiteral("Information")),
        addSheet(QStringLiteral("P6_Features"), QStringLiteral("Features")),
        addSheet(QStringLiteral("P6_L2cache"), QStringLiteral("Level 2 Cache Info")),
        addSheet(QStringLiteral("P6_L2cacheConfig"), QStringLiteral("Level 2 Cache Configuration")),
        addSheet(QStringLiteral("P6_ErrorChecking"),
                 QStringLiteral("Level 2 Cache Error Checking")),
    };
    buildInformation(sheets[0]);
    buildFeatures(sheets[1]);
    buildL2Info(sheets[2]);
    buildL2Config(sheets[3]);
    buildErrorChecking(sheets[4]);
    for (TabSheet* sheet : sheets)
        sheet->onShow = [this] { P6_RefreshStatus(); };
}

StatusPanel* Pentium3Page::addField(SheetBuilder& builder, int field) {
    const FieldRow& row = kFields[size_t(field)];
    m_fields[size_t(field)] = builder.status(builder.group(QString::fromLatin1(row.caption)),
                                             QString::fromLatin1(row.panel));
    return m_fields[size_t(field)];
}

void Pentium3Page::buildInformation(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    m_ratio = builder.status(builder.group(QStringLiteral(" Clock Frequency Ratio ")),
                             QStringLiteral("P6_ClockFrequencyRatio"));
    for (int field = 0; field < kFirstL2InfoField; ++field)
        addField(builder, field);
    builder.finish();
}

void Pentium3Page::buildFeatures(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    m_rows.build(builder, kP6FeatureRows);
    QGroupBox* serial = builder.group(QStringLiteral(" Processor Serial Number Support"));
    m_serialNumber = builder.status(serial, QStringLiteral("P6_SerialNumber"));
    QPushButton* disable = builder.button(serial, QStringLiteral("P6_SerialNumberDIS"),
                                          QStringLiteral("Disable (until reset)"));
    connect(disable, &QPushButton::clicked, this, [this] { P6_SerialNumberDISClick(); });
    builder.finish();
}

void Pentium3Page::buildL2Info(TabSheet* sheet) {
    SheetBuilder builder(sheet);
    for (int field = kFirstL2InfoField; field < int(kFields.size()); ++field)
        addField(builder, field);
    builder.finish();
}

void Pentium3Page::buildL2Config(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);  // four groups, one of five buttons: more than a tab holds
    m_rows.build(builder, std::span(kP6CacheRows).first(1));

    QGroupBox* latency = builder.group(QStringLiteral(" L2 cache Latency "));
    m_latency = builder.status(latency, QStringLiteral("P6_L2cacheLatency"));
    P6_L2cacheLatencyCombo =
        builder.combo(latency, QStringLiteral("P6_L2cacheLatencyCombo"), QStringLiteral("Set to:"));
    for (int cycles = 0; cycles < kLatencyEntries; ++cycles)
        P6_L2cacheLatencyCombo->addItem(latencyEntry(cycles));
    P6_L2cacheLatencyCombo->setCurrentIndex(-1);  // the first refresh shows the register's value
    QPushButton* apply =
        builder.button(latency, QStringLiteral("P6_L2cacheLatencyAPP"), QStringLiteral("Apply"));
    connect(apply, &QPushButton::clicked, this, [this] { P6_L2cacheLatencyAPPClick(); });

    m_cacheSize = m_rows.build(builder, kP6CacheSizeGroup).first;
    m_rows.build(builder, std::span(kP6CacheRows).subspan(1));
    builder.finish();
}

void Pentium3Page::buildErrorChecking(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    m_rows.build(builder, kP6ErrorRows);
    builder.finish();
}

void Pentium3Page::showFields(uint32_t index) {
    const MsrBuffer& msr = context().msr;
    for (size_t field = 0; field < kFields.size(); ++field) {
        const FieldRow& row = kFields[field];
        if (row.index != index)
            continue;
        const uint64_t value = msr.MsrBits(row.high, row.low);
        if (!msr.holdsRead())
            m_fields[field]->showRead(msr, QString());
        else if (value < row.texts.size() && row.texts[value])
            m_fields[field]->setText(QString::fromLatin1(row.texts[value]));
    }
}

void Pentium3Page::P6_RefreshStatus() {
    MsrBuffer& msr = context().msr;
    m_ratio->showRead(msr, QString::fromStdString(P6_ClockRatioText(msr)));

    msr.Index = kP6PowerOn;
    msr.ReadMsr();
    showFields(kP6PowerOn);
    m_rows.show();

    msr.Index = kBbclControl;
    msr.ReadMsr();
    // A set bit means the serial number has been disabled.
    m_serialNumber->showRead(
        msr, msr.MsrBit(kSerialNumberBit) ? QStringLiteral("Disabled") : QStringLiteral("Enabled"));

    msr.Index = kP6L2Control;
    msr.ReadMsr();
    showFields(kP6L2Control);
    const auto latency = int(msr.MsrBits(kLatencyHigh, kLatencyLow));
    m_latency->showRead(msr, QString::number(latency) + QStringLiteral("cycle"));
    // Exactly one bit of 17..13 names the size; any other pattern keeps the panel's text.
    const auto sizeBits = uint32_t(msr.MsrBits(kCacheSizeHigh, kCacheSizeLow));
    if (!msr.holdsRead())
        m_cacheSize->showRead(msr, QString());
    for (size_t position = 0; position < kP6CacheSizeButtons.size() && msr.holdsRead();
         ++position) {
        if (sizeBits == uint32_t(1) << position)
            m_cacheSize->setText(QString::fromLatin1(kP6CacheSizeButtons[position].caption));
    }
    // The list follows the register until the user picks an entry of his own.
    if (P6_L2cacheLatencyCombo->currentIndex() < 0 && msr.holdsRead())
        P6_L2cacheLatencyCombo->setCurrentIndex(latency);
    m_rows.show();
}

void Pentium3Page::P6_SerialNumberDISClick() {
    // Writing 1 to 119h bit 21 turns the serial number off until the next reset.
    MsrBuffer& msr = context().msr;
    msr.Index = kBbclControl;
    msr.ReadMsr();
    msr.Low |= uint32_t(1) << kSerialNumberBit;
    msr.WriteMsr();
    P6_RefreshStatus();
}

void Pentium3Page::P6_L2cacheLatencyAPPClick() {
    const int latency = P6_L2cacheLatencyCombo->currentIndex();
    if (latency < 0)
        return;  // no latency chosen: nothing to write
    MsrBuffer& msr = context().msr;
    msr.Index = kP6L2Control;
    msr.ReadMsr();
    msr.Low =
        (msr.Low & ~fieldMask(kLatencyHigh, kLatencyLow)) | (uint32_t(latency) << kLatencyLow);
    msr.WriteMsrFlushing();
    P6_RefreshStatus();
}

std::vector<OptionRecord> Pentium3Page::savedOptions() const {
    std::vector<OptionRecord> records = m_rows.saved();
    const int latency = P6_L2cacheLatencyCombo->currentIndex();
    if (latency >= 0)
        records.push_back({kLatencyCode, uint8_t(latency)});
    sortByCode(records);
    return records;
}

RecordAction Pentium3Page::applyRecord(OptionRecord record) {
    if (record.code == kLatencyCode) {
        // An index the list does not have leaves it without a selection.
        P6_L2cacheLatencyCombo->setCurrentIndex(
            record.value < P6_L2cacheLatencyCombo->count() ? int(record.value) : -1);
        P6_L2cacheLatencyAPPClick();
        return RecordAction::Applied;
    }
    return m_rows.apply(record);
}

}  // namespace zandro
