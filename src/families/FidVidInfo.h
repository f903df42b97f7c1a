#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zandro {

class MsrBuffer;
class Platform;
class SheetBuilder;
class StatusPanel;
class TabSheet;

// One field of the AMD FID/VID status register (C0010042h) on a page's information tab.
struct FidVidRow {
    const char* group;
    const char* label;
    const char* panel;
    unsigned high;
    unsigned low;
    bool voltage;  // a VID, else a FID
};

// What an AMD page shows of FID/VID control: the status register's fields on the information tab
// and the two "adjustments" panels of the control tab.
class FidVidInfo {
public:
    using Decoder = std::string (*)(uint8_t code);
    FidVidInfo(std::span<const FidVidRow> rows, Decoder vidText, Decoder fidText)
        : m_rows(rows), m_vidText(vidText), m_fidText(fidText) {}

    // The information tab: a group box per caption, a panel per row.
    void buildRows(TabSheet* sheet);
    // The " Power States Transitioning " group with the panels named <prefix>_VoltageAdjustments
    // and <prefix>_FrequencyAdjustments.
    void buildAdjustments(SheetBuilder& builder, const QString& prefix);
    // Shows what CPUID says the part can change, then reads C0010042h into the rows when it can
    // change either (or protection is off); otherwise every row says "Not Supported".
    void refresh(MsrBuffer& msr, Platform& platform, bool userProtection);

private:
    std::span<const FidVidRow> m_rows;
    Decoder m_vidText;
    Decoder m_fidText;
    std::vector<StatusPanel*> m_panels;
    StatusPanel* m_voltageAdjustments = nullptr;
    StatusPanel* m_frequencyAdjustments = nullptr;
};

}  // namespace zandro
