#include "WorkbookLayout.h"

#include "measurement/RegionalSettings.h"

#include <algorithm>

namespace WorkbookLayout {

QStringList headerTexts() {
    return {QStringLiteral("T , *C"), QStringLiteral("RH, %"),    QStringLiteral("V , м/с"),
            QStringLiteral("E , лк"), QStringLiteral("L , Кд/м"), QStringLiteral("UV, мВт/м")};
}

QString sheetName(int sheetIndex) {
    return QStringLiteral("Лист%1").arg(sheetIndex + 1);
}

int sheetCount(std::int64_t pointCount, std::int64_t sheetRows) {
    const std::int64_t perSheet = sheetRows - 1;
    return static_cast<int>(std::max<std::int64_t>(1, (pointCount + perSheet - 1) / perSheet));
}

std::int64_t firstPointOfSheet(int sheetIndex, std::int64_t sheetRows) {
    return static_cast<std::int64_t>(sheetIndex) * (sheetRows - 1);
}

std::int64_t pointsOnSheet(int sheetIndex, std::int64_t pointCount, std::int64_t sheetRows) {
    const std::int64_t first = firstPointOfSheet(sheetIndex, sheetRows);
    return std::clamp<std::int64_t>(pointCount - first, 0, sheetRows - 1);
}

double dateSerial(const QDate& date) {
    return static_cast<double>(QDate(1899, 12, 30).daysTo(date));
}

namespace {

// Characters a spreadsheet shows as they are inside a date format.
bool isPlainSeparator(QChar c) {
    return c == u'.' || c == u'/' || c == u'-' || c == u' ' || c == u':' || c == u',';
}

QString quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

} // namespace

QString numberFormatForDate(const QString& qtDateFormat) {
    QString result;
    QString literal;
    const auto flushLiteral = [&] {
        if (!literal.isEmpty())
            result += quoted(literal);
        literal.clear();
    };
    const qsizetype n = qtDateFormat.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = qtDateFormat.at(i);
        if (c == u'\'') {
            // Quoted text; '' is a single quote.
            qsizetype j = i + 1;
            if (j < n && qtDateFormat.at(j) == u'\'') {
                literal += u'\'';
                i = j + 1;
                continue;
            }
            while (j < n) {
                if (qtDateFormat.at(j) == u'\'') {
                    if (j + 1 < n && qtDateFormat.at(j + 1) == u'\'') {
                        literal += u'\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += qtDateFormat.at(j);
                ++j;
            }
            i = j + 1;
            continue;
        }
        if (c == u'd' || c == u'M' || c == u'y') {
            qsizetype run = 1;
            while (i + run < n && qtDateFormat.at(i + run) == c)
                ++run;
            flushLiteral();
            if (c == u'd')
                result += QString(std::min<qsizetype>(run, 4), u'd');
            else if (c == u'M')
                result += QString(std::min<qsizetype>(run, 4), u'm');
            else
                result += run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
            i += run;
            continue;
        }
        if (isPlainSeparator(c)) {
            flushLiteral();
            result += c;
        } else {
            literal += c;
        }
        ++i;
    }
    flushLiteral();
    return result;
}

QString regionalDateFormat() {
    return numberFormatForDate(RegionalSettings::shortDateFormat());
}

} // namespace WorkbookLayout
