#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pstates/TransitionSupport.h"

class QComboBox;
class QPushButton;
class QString;
class QWidget;

namespace zandro {

class Platform;
class SheetBuilder;
class StatusPanel;

// The controls that the multiplier and voltage list fillers switch, on a family's
// "Frequency && Voltage Control" tab.
struct FrequencyControls {
    QComboBox* multiplier = nullptr;
    QComboBox* voltage = nullptr;
    QPushButton* set = nullptr;
};

// The group " Multiplier adjustments " with <prefix>_MultiplierCombo, <prefix>_VoltageCombo and
// the "Set" button <prefix>_InitiateFIDVIDChangeButton.
FrequencyControls addMultiplierGroup(SheetBuilder& builder, const QString& prefix);

// The group " Current Core Clock " with the panel <prefix>_CurrentCoreClock.
StatusPanel* addCoreClockGroup(SheetBuilder& builder, const QString& prefix);

struct ComboFill;

// Shows a transition routine's text on a report panel: bold, in the colour of its state.
void showTransitionReport(StatusPanel* panel, const QString& text, ReportColour colour);

// Applies a list filler's decision to a box: enable or disable it, and when told, replace its
// items and leave it without a selection.
void applyComboFill(QComboBox* box, const ComboFill& fill);
// Applies a family's list fill: both boxes and the "Set" button.
void applyListsFill(const FrequencyControls& controls, const ComboFill& multiplier,
                    const ComboFill& voltage, bool setEnabled);
// The items a box was created with.
void setInitialItems(QComboBox* box, const std::vector<std::string>& items);

// The selected item as the transition routines read it: its first ten characters, empty when
// nothing is selected.
std::string selectedText(const QComboBox* box);
// Measures the core clock now and shows it on the panel as "<MHz> MHz".
void showMeasuredCoreClock(StatusPanel* panel, Platform& platform);
// Asks before a change to the AMD "off" voltage code 11111b; true when the user answers Yes.
bool confirmOffVoltage(QWidget* parent);

class IntelTransitionUi;
class MsrBuffer;
enum class IntelFamily;

// The "Set" click of the Intel pages: from the ratio and VID in 198h to the items chosen in the
// two boxes; false when the change was refused or did not complete.
bool changeIntelOperatingPoint(MsrBuffer& msr, IntelTransitionUi& ui, IntelFamily family,
                               const FrequencyControls& controls);

// The Intel pages' side of restoring a recorded operating point and of checking a file: the same
// transition and the same reading of the boxes as the "Set" click.
bool restoreIntelOperatingPoint(MsrBuffer& msr, IntelTransitionUi& ui, IntelFamily family,
                                uint64_t control, uint64_t status);
std::optional<uint64_t> aimedIntelStatus(MsrBuffer& msr, IntelFamily family,
                                         const FrequencyControls& controls);

}  // namespace zandro
