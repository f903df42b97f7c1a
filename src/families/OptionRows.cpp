#include "OptionRows.h"

#include <QRadioButton>
#include <algorithm>

#include "SheetBuilder.h"
#include "StatusPanel.h"
#include "core/Cpuid.h"
#include "core/MsrBuffer.h"
#include "core/NetBurstCapabilities.h"

namespace zandro {

namespace {

constexpr uint8_t kFirstK5WriteAllocateStepping = 4;

bool hasNeed(Platform& platform, RowNeed need) {
    switch (need) {
        case RowNeed::Nothing:
            return true;
        case RowNeed::L3Cache:
            return HasL3Cache(platform);
        case RowNeed::L1ContextId:
            return HasL1ContextId(platform);
        case RowNeed::Sse3:
            return HasSSE3(platform);
        case RowNeed::NetBurstModel3Up:
            return IsNetBurstModel3Up(platform);
        case RowNeed::K5WriteAllocate:
            return ReadCpuid(platform).stepping >= kFirstK5WriteAllocateStepping;
    }
    return false;
}

void setEnabled(const RowControls& controls, bool enabled) {
    controls.panel->setEnabled(enabled);
    for (QRadioButton* button : controls.buttons)
        button->setEnabled(enabled);
}

}  // namespace

void writeButton(MsrBuffer& msr, uint32_t index, const RowButton& button, RowWrite write) {
    msr.Index = index;
    msr.ReadMsr();
    msr.Low = (msr.Low & ~button.clear) | button.set;
    if (write == RowWrite::Flushing)
        msr.WriteMsrFlushing();
    else
        msr.WriteMsr();
}

void RadioRecords::add(uint16_t code, size_t position, QRadioButton* button,
                       std::function<void()> handler) {
    std::vector<Entry>& group = m_groups[code];
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

OptionRows::OptionRows(const PageContext& context, std::function<void()> refresh)
    : m_context(context), m_refresh(std::move(refresh)) {}

void OptionRows::build(SheetBuilder& builder, std::span<const OptionRow> rows) {
    for (const OptionRow& row : rows) {
        QGroupBox* group = builder.group(QString::fromLatin1(row.caption));
        RowControls controls;
        controls.panel = builder.status(group, QString::fromLatin1(row.panel));
        for (size_t position = 0; position < 2; ++position) {
            const RowButton& button = row.button(position);
            QRadioButton* radio = builder.radio(group, QString::fromLatin1(button.name),
                                                QString::fromLatin1(button.caption));
            const auto handler = [this, &row, position] { click(row, position); };
            QObject::connect(radio, &QRadioButton::clicked, radio, handler);
            m_records.add(row.code, position, radio, handler);
            controls.buttons[position] = radio;
        }
        m_rows.emplace_back(&row, controls);
    }
}

std::pair<StatusPanel*, std::vector<QRadioButton*>> OptionRows::build(SheetBuilder& builder,
                                                                      const ChoiceGroup& group) {
    QGroupBox* box = builder.group(QString::fromLatin1(group.caption));
    StatusPanel* panel = builder.status(box, QString::fromLatin1(group.panel));
    std::vector<QRadioButton*> buttons(group.buttons.size());
    for (const uint8_t position : group.shown) {
        const RowButton& button = group.buttons[position];
        QRadioButton* radio =
            builder.radio(box, QLatin1String(group.prefix) + QLatin1String(button.name),
                          QString::fromLatin1(button.caption));
        const auto handler = [this, &group, position] { choose(group, position); };
        QObject::connect(radio, &QRadioButton::clicked, radio, handler);
        m_records.add(group.code, position, radio, handler);
        buttons[position] = radio;
    }
    return {panel, buttons};
}

bool OptionRows::usable(const OptionRow& row) const {
    return row.need == RowNeed::Nothing || !m_context.flags.UserProtection ||
           hasNeed(m_context.platform, row.need);
}

void OptionRows::show(const OptionRow& row) const {
    const MsrBuffer& msr = m_context.msr;
    controls(row).panel->showRead(
        msr, QString::fromLatin1(msr.MsrBit(row.bit) ? row.whenSet : row.whenClear));
}

void OptionRows::show(bool switchUsable) const {
    for (const auto& [row, controls] : m_rows) {
        if (row->index != m_context.msr.Index)
            continue;
        const bool rowUsable = usable(*row);
        if (switchUsable && row->need != RowNeed::Nothing)
            setEnabled(controls, rowUsable);
        if (rowUsable)
            show(*row);
    }
}

void OptionRows::enableUsable() const {
    for (const auto& [row, controls] : m_rows) {
        if (row->need != RowNeed::Nothing)
            setEnabled(controls, usable(*row));
    }
}

const RowControls& OptionRows::controls(const OptionRow& row) const {
    const auto built = std::find_if(m_rows.begin(), m_rows.end(),
                                    [&row](const auto& entry) { return entry.first == &row; });
    if (built == m_rows.end())
        qFatal("option row %s asked for before it was built", row.panel);
    return built->second;
}

void OptionRows::setUsable(const OptionRow& row, bool usable) const {
    setEnabled(controls(row), usable);
}

void OptionRows::click(const OptionRow& row, size_t position) const {
    writeButton(m_context.msr, row.index, row.button(position), row.write);
    m_refresh();
}

void OptionRows::choose(const ChoiceGroup& group, size_t position) const {
    // Groups kept only for the configuration file write nothing and need no refresh.
    if (group.index == 0)
        return;
    writeButton(m_context.msr, group.index, group.buttons[position], group.write);
    m_refresh();
}

void sortByCode(std::vector<OptionRecord>& records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const OptionRecord& a, const OptionRecord& b) { return a.code < b.code; });
}

}  // namespace zandro
