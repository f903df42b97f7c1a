#pragma once

#include <array>

#include "FamilyPage.h"
#include "OptionRows.h"

class QLabel;

namespace zandro {

class EditBox;
class StatusPanel;

// The K5 and K6 page, one tab per processor: the K5 hardware configuration register, and the K6
// write handling and extended feature registers.
class K5K6Page : public FamilyPage {
    Q_OBJECT
public:
    K5K6Page(const PageContext& context, QWidget* parent = nullptr,
             PageBuild build = PageBuild::Now);

    // Both tabs' registers are read on every refresh of a family 5 processor.
    void refreshStatus() override {
        K5_RefreshStatus();
        K6_RefreshStatus();
    }
    void K5_RefreshStatus();
    void K6_RefreshStatus();

    std::vector<OptionRecord> savedOptions() const override;
    RecordAction applyRecord(OptionRecord record) override;

    // Rows 0-4 are the K5 options, 5-7 the K6 ones.
    static constexpr int kOptionCount = 8;
    void optionClick(int row, bool enable);
    void K6_WriteAllocateLimitBoxChange();
    bool K6_WriteAllocateLimitSETClick();  // false when the box's value was refused

    EditBox* K6_WriteAllocateLimitBox = nullptr;
    QLabel* K6_WriteAllocateLabel = nullptr;

    // The limit label's text for a number part ("---" or the limit in MBytes).
    static QString limitLabelText(const QString& total);

protected:
    void buildSheets() override;

private:
    void buildK5(TabSheet* sheet);
    void buildK6(TabSheet* sheet);
    void addOption(SheetBuilder& builder, int row);
    void showOptions(uint32_t index);

    RadioRecords m_records;
    std::array<StatusPanel*, kOptionCount> m_options{};
    StatusPanel* m_limit = nullptr;
    // The K5 write allocate panel and its two buttons, usable only as the stepping allows.
    std::array<QWidget*, 3> m_k5WriteAllocateControls{};
};

}  // namespace zandro
