#pragma once

// Shared by the read-back tests: logs to export, the independent readers, and the check
// of a workbook read back against the log it came from.
#include "export/Uxls.h"
#include "export/WorkbookLayout.h"
#include "measurement/MeasurementLog.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QTime>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>

namespace ReadBack {

// The series of columns B to G (t, RH, V, E, L, UV); column A holds the labels of V.
constexpr int ExportedSeries[6] = {0, 1, 4, 7, 8, 9};
constexpr int LabelSeries = 4;

// Points per column B to G.
using Lengths = std::array<qsizetype, 6>;

inline Lengths uniform(qsizetype n) {
    return {n, n, n, n, n, n};
}

// The date of A1 in the tests.
inline QDate day() {
    return QDate(2026, 12, 7);
}

// Polls a second apart from midnight. Values as the log holds them: tenths, some
// negative, some large, one per column apart; L has a value the workbook cannot hold
// (an empty cell) and UV one too large for the log's tenths.
inline void fillLog(MeasurementLog& log, const Lengths& lengths) {
    const qsizetype n = *std::max_element(lengths.begin(), lengths.end());
    for (qsizetype k = 0; k < n; ++k) {
        const QDateTime when(day(), QTime(0, 0).addSecs(static_cast<int>(k)));
        for (int c = 0; c < 6; ++c) {
            if (k >= lengths[static_cast<std::size_t>(c)])
                continue;
            double v = static_cast<double>((k * 7 + c * 131) % 20001 - 400) / 10.0;
            if (k == 1 && c == 4)
                v = -std::numeric_limits<double>::infinity();
            if (k == 2 && c == 5)
                v = 3.5e9;
            log.append(ExportedSeries[c], v, when);
        }
    }
}

// Regional settings whose time labels go beyond Latin-1 (13時05分07秒), and the number
// format their short date gives A1.
inline QLocale wideLabels() {
    return QLocale(QLocale::Japanese, QLocale::Japan);
}
inline QString wideLabelsDateFormat() {
    return QStringLiteral("yyyy/mm/dd");
}

// Exports the log as it stands, labels in the regional settings as they are now.
inline ExportResult exportLog(const MeasurementLog& log, const QString& fileName,
                              const ExportProgress& progress = {}) {
    return ExportWorkbook(LogSnapshot::take(log, day()), fileName, progress);
}

// The workbook a log stands for, as the export must write it.
struct Expected {
    QDate date;
    QStringList labels;
    std::array<QList<double>, 6> values;
    // Column H: by row, the marks of the label that is their first poll.
    std::map<qsizetype, QString> marks;
};

inline Expected expectedFrom(const MeasurementLog& log, const QDate& date) {
    Expected e;
    e.date = date;
    for (qsizetype k = 0; k < log.count(LabelSeries); ++k)
        e.labels << log.TimeLabel(LabelSeries, k);
    for (std::size_t c = 0; c < 6; ++c)
        for (qsizetype k = 0; k < log.count(ExportedSeries[c]); ++k)
            e.values[c] << log.y(ExportedSeries[c], k);
    for (const LogEvent& m : log.events().all())
        for (qsizetype k = 0; k < log.count(LabelSeries); ++k)
            if (m.kind == LogEvent::Mark && log.time(LabelSeries, k) == m.start)
                e.marks[k] += (e.marks[k].isEmpty() ? QString() : QStringLiteral("; ")) + m.text;
    return e;
}

inline qint64 rowCount(const Expected& e) {
    qint64 n = e.labels.size();
    for (const QList<double>& column : e.values)
        n = std::max<qint64>(n, column.size());
    return n;
}

inline QString script(const QString& fileName) {
    return QStringLiteral(VILTA_SOURCE_DIR "/tests/unit/export/") +
           (IsXlsxName(fileName) ? QStringLiteral("read_xlsx.py") : QStringLiteral("read_xls.py"));
}

inline QJsonObject readBack(const QString& fileName) {
    QProcess reader;
    reader.start(QStringLiteral(VILTA_PYTHON), {script(fileName), fileName});
    if (!reader.waitForFinished(120000) || reader.exitCode() != 0) {
        qWarning().noquote() << reader.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

inline QStringList fileNames(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
}

// Fails the current test on the first difference.
inline void verifyWorkbook(const QJsonObject& book, const Expected& data, qint64 sheetRows,
                           const QString& dateFormat) {
    // The records themselves, which the .xls reader forgives.
    const QJsonArray problems = book.value(u"recordProblems").toArray();
    QVERIFY2(problems.isEmpty(), QJsonDocument(problems).toJson().constData());
    const QJsonArray sheets = book.value(u"sheets").toArray();
    const qint64 points = rowCount(data);
    QCOMPARE(sheets.size(), WorkbookLayout::sheetCount(points, sheetRows));
    const QStringList headers = WorkbookLayout::headerTexts();

    for (int s = 0; s < sheets.size(); ++s) {
        const QJsonObject sheet = sheets.at(s).toObject();
        QCOMPARE(sheet.value(u"name").toString(), WorkbookLayout::sheetName(s));

        // Header row: date, six texts, all filled green, framed and centred.
        const QJsonArray header = sheet.value(u"header").toArray();
        QCOMPARE(header.size(), data.marks.empty() ? 7 : 8);
        const QJsonObject a1 = header.at(0).toObject();
        QCOMPARE(a1.value(u"date").toArray(),
                 (QJsonArray{data.date.year(), data.date.month(), data.date.day()}));
        QCOMPARE(a1.value(u"format").toString(), dateFormat);
        for (int c = 0; c < header.size(); ++c) {
            const QJsonObject cell = header.at(c).toObject();
            if (c > 0)
                QCOMPARE(cell.value(u"text").toString(), headers.value(c - 1, "Метка"));
            QCOMPARE(cell.value(u"fill").toString(), QStringLiteral("00FF00"));
            QCOMPARE(cell.value(u"align").toString(), QStringLiteral("center"));
            QCOMPARE(cell.value(u"borders").toArray(),
                     (QJsonArray{"thin", "thin", "thin", "thin"}));
        }

        // Columns A..G 11 wide, H as wide as the sheet's standard, A..H centred and shown.
        const QJsonArray columnInfo = sheet.value(u"columnInfo").toArray();
        for (int c = 0; c < 8; ++c) {
            const QJsonObject info = columnInfo.at(c).toObject();
            QVERIFY2(!info.isEmpty(), qPrintable(QStringLiteral("column %1").arg(c)));
            QCOMPARE(info.value(u"align").toString(), QStringLiteral("center"));
            QCOMPARE(info.value(u"width").toDouble(), c < 7 ? 11.0 : 8.43);
            QCOMPARE(info.value(u"hidden"), QJsonValue(false));
        }

        // Data cells: centred, no fill, no frame.
        for (const QJsonValue f : sheet.value(u"dataFormats").toArray()) {
            QCOMPARE(f.toObject().value(u"align").toString(), QStringLiteral("center"));
            QVERIFY(f.toObject().value(u"fill").isNull());
            QCOMPARE(f.toObject().value(u"borders").toArray(), (QJsonArray{{}, {}, {}, {}}));
        }

        // Each column exactly as long as its own series on this sheet; labels as text,
        // values as numbers.
        const qint64 first = WorkbookLayout::firstPointOfSheet(s, sheetRows);
        const QJsonArray columns = sheet.value(u"columns").toArray();
        const auto expectedLength = [&](qsizetype size) {
            return std::clamp<qint64>(size - first, 0, sheetRows - 1);
        };
        const QJsonArray labels = columns.at(0).toArray();
        QCOMPARE(labels.size(), expectedLength(data.labels.size()));
        for (qsizetype r = 0; r < labels.size(); ++r)
            QCOMPARE(labels.at(r).toArray(), (QJsonArray{"text", data.labels.at(first + r)}));
        for (int c = 0; c < 6; ++c) {
            const QJsonArray values = columns.at(c + 1).toArray();
            QCOMPARE(values.size(), expectedLength(data.values[c].size()));
            for (qsizetype r = 0; r < values.size(); ++r) {
                const double v = data.values[c].at(first + r);
                // A number the workbook cannot hold leaves its cell empty.
                QVERIFY2(std::isfinite(v) ? values.at(r).isDouble() : values.at(r).isNull(),
                         qPrintable(QStringLiteral("column %1 row %2").arg(c + 1).arg(r + 2)));
                if (std::isfinite(v))
                    QCOMPARE(values.at(r).toDouble(), v);
            }
        }
        QJsonArray marks;
        for (const auto& [row, text] : data.marks) {
            if (row < first || row - first >= sheetRows - 1)
                continue;
            while (marks.size() < row - first)
                marks.append(QJsonValue());
            marks.append(QJsonArray{"text", text});
        }
        QCOMPARE(columns.at(7).toArray(), marks);
    }
}

} // namespace ReadBack
