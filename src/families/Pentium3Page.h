#pragma once

#include <array>

#include "FamilyPage.h"
#include "OptionRows.h"

class QComboBox;

namespace zandro {

class StatusPanel;

// The Pentium III (P6) page: clock ratio and bus, error checking, low power mode, the serial
// number and the level 2 cache registers.
class Pentium3Page : public FamilyPage {
    Q_OBJECT
public:
    Pentium3Page(const PageContext& context, QWidget* parent = nullptr,
                 PageBuild build = PageBuild::Now);

    void refreshStatus() override { P6_RefreshStatus(); }
    void P6_RefreshStatus();

    std::vector<OptionRecord> savedOptions() const override;
    RecordAction applyRecord(OptionRecord record) override;

    void P6_SerialNumberDISClick();
    void P6_L2cacheLatencyAPPClick();

    QComboBox* P6_L2cacheLatencyCombo = nullptr;

protected:
    void buildSheets() override;

private:
    void buildInformation(TabSheet* sheet);
    void buildFeatures(TabSheet* sheet);
    void buildL2Info(TabSheet* sheet);
    void buildL2Config(TabSheet* sheet);
    void buildErrorChecking(TabSheet* sheet);
    StatusPanel* addField(SheetBuilder& builder, int field);
    void showFields(uint32_t index);

    OptionRows m_rows;                       // the switches and the cache size buttons
    std::array<StatusPanel*, 6> m_fields{};  // one per row of the cache-information table
    StatusPanel* m_ratio = nullptr;
    StatusPanel* m_serialNumber = nullptr;
    StatusPanel* m_latency = nullptr;
    StatusPanel* m_cacheSize = nullptr;
};

}  // namespace zandro
