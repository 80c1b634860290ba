#pragma once

#include <QString>

#include <optional>

class QWidget;

// Asks for one short line of text; nothing when the user cancels.
std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt,
                               const QString& proposed);
