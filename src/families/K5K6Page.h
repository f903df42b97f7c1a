#pragma once

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

    // Each tab's rows end their clicks in that tab's status routine.
    OptionRows m_k5Rows;
    OptionRows m_k6Rows;
    StatusPanel* m_limit = nullptr;
};

}  // namespace zandro
