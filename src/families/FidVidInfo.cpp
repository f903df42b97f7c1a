#include "FidVidInfo.h"

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "TabSheet.h"
#include "core/MsrBuffer.h"
#include "pstates/CodeTables.h"

namespace zandro {

namespace {

constexpr uint32_t kFidVidStatus = 0xC0010042;
const QString kNotSupported = QStringLiteral("Not Supported");

}  // namespace

void FidVidInfo::buildRows(TabSheet* sheet) {
    SheetBuilder builder(sheet, true);
    QGroupBox* group = nullptr;
    QString groupCaption;
    m_panels.clear();
    for (const FidVidRow& row : m_rows) {
        if (groupCaption != QLatin1String(row.group)) {
            groupCaption = QString::fromLatin1(row.group);
            group = builder.group(groupCaption);
        }
        m_panels.push_back(
            builder.status(group, QString::fromLatin1(row.panel), QString::fromLatin1(row.label)));
    }
    builder.finish();
}

void FidVidInfo::buildAdjustments(SheetBuilder& builder, const QString& prefix) {
    QGroupBox* power = builder.group(QStringLiteral(" Power States Transitioning "));
    m_voltageAdjustments = builder.status(power, prefix + QStringLiteral("_VoltageAdjustments"),
                                          QStringLiteral("Voltage adjustments:"));
    m_frequencyAdjustments = builder.status(power, prefix + QStringLiteral("_FrequencyAdjustments"),
                                            QStringLiteral("Frequency adjustments:"));
}

void FidVidInfo::refresh(MsrBuffer& msr, Platform& platform, bool userProtection) {
    const bool vid = HasVidControl(platform);
    const bool fid = HasFidControl(platform);
    m_voltageAdjustments->setText(vid ? QStringLiteral("Supported") : kNotSupported);
    m_frequencyAdjustments->setText(fid ? QStringLiteral("Supported") : kNotSupported);
    if (!vid && !fid && userProtection) {
        for (StatusPanel* panel : m_panels)
            panel->setText(kNotSupported);
        return;
    }
    msr.Index = kFidVidStatus;
    msr.ReadMsr();
    for (size_t i = 0; i < m_rows.size() && i < m_panels.size(); ++i) {
        const FidVidRow& row = m_rows[i];
        const auto code = uint8_t(msr.MsrBits(row.high, row.low));
        m_panels[i]->showRead(
            msr, QString::fromStdString(row.voltage ? m_vidText(code) : m_fidText(code)));
    }
}

}  // namespace zandro
