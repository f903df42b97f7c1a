#include "NameStringEditor.h"

#include <QLabel>
#include <QPushButton>

#include "EditBox.h"
#include "NameString.h"
#include "SheetBuilder.h"
#include "StatusPanel.h"

namespace zandro {

NameStringEditor::NameStringEditor(SheetBuilder& builder, const char* prefix, MsrBuffer& msr,
                                   std::function<void()> refresh)
    : m_msr(msr), m_refresh(std::move(refresh)) {
    const QString p = QString::fromLatin1(prefix);
    QGroupBox* group = builder.group(QStringLiteral(" Processor Name String "));
    nameString =
        builder.status(group, p + QStringLiteral("_NameString"), QStringLiteral("Current:"));
    nameString->setText(QString());
    nameString->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    editBox = builder.edit(group, p + QStringLiteral("_NameStringEditBox"),
                           QStringLiteral("Enter New:"), int(kNameStringLength));
    charsLeft = builder.label(group, QStringLiteral("48 chars left"),
                              p + QStringLiteral("_CharsLeftLabel"));
    writeButton = builder.button(group, p + QStringLiteral("_NameStringWrite"),
                                 QStringLiteral("Write New Name String"));
    QObject::connect(editBox, &QLineEdit::textChanged, editBox,
                     [this] { NameStringEditBoxChange(); });
    QObject::connect(writeButton, &QPushButton::clicked, writeButton,
                     [this] { NameStringWriteClick(); });
}

void NameStringEditor::show(const std::string& raw) {
    // Latin-1 keeps every byte a character, as the registers hold plain 8-bit text.
    nameString->setText(QString::fromLatin1(visibleNameString(raw)));
}

void NameStringEditor::NameStringEditBoxChange() {
    charsLeft->setText(QString::fromStdString(charsLeftText(int(editBox->text().size()))));
}

void NameStringEditor::NameStringWriteClick() {
    WriteNameString(m_msr, editBox->text().toLatin1().toStdString());
    if (m_refresh)
        m_refresh();
}

}  // namespace zandro
