#pragma once

#include <QLabel>

namespace zandro {

// A lowered text panel showing one decoded status; "---" until first filled.
class StatusPanel : public QLabel {
    Q_OBJECT
public:
    explicit StatusPanel(const QString& name, QWidget* parent = nullptr,
                         const QString& initial = QStringLiteral("---"));
};

}  // namespace zandro
