#pragma once

#include <functional>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;

namespace zandro {

class EditBox;
class MsrBuffer;
class SheetBuilder;
class StatusPanel;

// The " Processor Name String " group of the AMD pages: the current name, the new one, the
// characters left and the write button. prefix is "A64" or "K7".
class NameStringEditor {
public:
    NameStringEditor(SheetBuilder& builder, const char* prefix, MsrBuffer& msr,
                     std::function<void()> refresh);

    // Shows the name read from the registers.
    void show(const std::string& raw);

    void NameStringEditBoxChange();
    void NameStringWriteClick();

    StatusPanel* nameString = nullptr;
    EditBox* editBox = nullptr;
    QLabel* charsLeft = nullptr;
    QPushButton* writeButton = nullptr;

private:
    MsrBuffer& m_msr;
    std::function<void()> m_refresh;
};

}  // namespace zandro
