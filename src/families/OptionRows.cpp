#include "OptionRows.h"

#include <QRadioButton>
#include <algorithm>

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "config/ConfigCodes.h"
#include "core/MsrBuffer.h"

namespace zandro {

void writeOptionBit(MsrBuffer& msr, const OptionRow& row, bool set) {
    msr.Index = row.index;
    msr.ReadMsr();
    const uint32_t mask = uint32_t(1) << row.bit;
    if (set)
        msr.Low |= mask;
    else
        msr.Low &= ~mask;
    if (row.flushing)
        msr.WriteMsrFlushing();
    else
        msr.WriteMsr();
}

QString optionText(const MsrBuffer& msr, const OptionRow& row) {
    return QString::fromLatin1(msr.MsrBit(row.bit) ? row.whenSet : row.whenClear);
}

void RadioRecords::add(uint16_t code, QRadioButton* button, std::function<void()> handler) {
    QObject::connect(button, &QRadioButton::clicked, button, handler);
    std::vector<Entry>& group = m_groups[code];
    // The file position is the one the code table gives the button, so that saving, applying and
    // --describe count the buttons alike; a button the table lacks goes last.
    size_t position = group.size();
    if (const OptionCode* option = findOptionCode(code)) {
        const std::string name = button->objectName().toStdString();
        for (size_t i = 0; i < option->choices.size(); ++i) {
            if (option->choices[i].control == name)
                position = i;
        }
    }
    if (group.size() <= position)
        group.resize(position + 1);
    group[position] = {button, std::move(handler)};
}

std::vector<OptionRecord> RadioRecords::saved() const {
    std::vector<OptionRecord> records;
    for (const auto& [code, entries] : m_groups) {
        for (size_t position = 0; position < entries.size(); ++position) {
            if (entries[position].button != nullptr && entries[position].button->isChecked()) {
                records.push_back({code, uint8_t(position)});
                break;
            }
        }
    }
    return records;
}

RecordAction RadioRecords::apply(OptionRecord record) const {
    const auto group = m_groups.find(record.code);
    if (group == m_groups.end())
        return RecordAction::NotMine;
    if (record.value < group->second.size() && group->second[record.value].handler)
        group->second[record.value].handler();
    return RecordAction::Applied;
}

StatusPanel* buildOption(SheetBuilder& builder, const OptionRow& row, RadioRecords& records,
                         const std::function<void(bool on)>& click) {
    QGroupBox* group = builder.group(QString::fromLatin1(row.caption));
    StatusPanel* panel = builder.status(group, QString::fromLatin1(row.panel));
    QRadioButton* on =
        builder.radio(group, QString::fromLatin1(row.onName), QStringLiteral("Enable"));
    QRadioButton* off =
        builder.radio(group, QString::fromLatin1(row.offName), QStringLiteral("Disable"));
    records.add(row.code, on, [click] { click(true); });
    records.add(row.code, off, [click] { click(false); });
    return panel;
}

void sortByCode(std::vector<OptionRecord>& records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const OptionRecord& a, const OptionRecord& b) { return a.code < b.code; });
}

}  // namespace zandro
