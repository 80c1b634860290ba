#include "SaveFormat.h"

#include <QFileInfo>

namespace {
struct Entry {
    SaveFormat format;
    const char* suffix;
    const char* filter;
};
constexpr Entry Entries[] = {
    {SaveFormat::Xls, "xls", "Microsoft Office Excel (*.xls)"},
    {SaveFormat::Xlsx, "xlsx", "Книга Excel (*.xlsx)"},
    {SaveFormat::Csv, "csv", "Текст CSV (*.csv)"},
    {SaveFormat::Pdf, "pdf", "Отчёт PDF (*.pdf)"},
    {SaveFormat::Bmp, "bmp", "Paint (*.bmp)"},
    {SaveFormat::Vilta, "vilta", "Измерения (*.vilta)"},
};

const Entry& entry(SaveFormat format) {
    for (const Entry& e : Entries)
        if (e.format == format)
            return e;
    return Entries[0];
}
} // namespace

QStringList saveFilters() {
    QStringList filters;
    for (const Entry& e : Entries)
        filters << QString::fromUtf8(e.filter);
    return filters;
}

QString saveFilter(SaveFormat format) {
    return QString::fromUtf8(entry(format).filter);
}

SaveFormat formatOfFilter(const QString& filter) {
    for (const Entry& e : Entries)
        if (filter == QString::fromUtf8(e.filter))
            return e.format;
    return SaveFormat::Xls;
}

std::optional<SaveFormat> formatOfName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix();
    for (const Entry& e : Entries)
        if (suffix.compare(QLatin1String(e.suffix), Qt::CaseInsensitive) == 0)
            return e.format;
    return std::nullopt;
}

QString nameWithFormat(const QString& fileName, SaveFormat chosen) {
    if (formatOfName(fileName))
        return fileName;
    return fileName + u'.' + QLatin1String(entry(chosen).suffix);
}
