#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What a save dialog can write. A name's extension decides the format, whichever command
// showed the dialog; a name without one of these extensions gets the chosen filter's.
enum class SaveFormat { Xls, Xlsx, Csv, Pdf, Bmp, Vilta };

// The filters every save dialog offers, in this order.
QStringList saveFilters();
QString saveFilter(SaveFormat format);
// The format of a filter text; Xls for one not in the list.
SaveFormat formatOfFilter(const QString& filter);
// The format the name's extension asks for (any case), if any.
std::optional<SaveFormat> formatOfName(const QString& fileName);
// The name as it is when its extension is known, else with the format's appended.
QString nameWithFormat(const QString& fileName, SaveFormat chosen);
