#pragma once

// Shared by the read-back tests: logs to export, the independent readers, and the check
// of a workbook read back against the log it came from.
#include "export/Uxls.h"
#include "export/WorkbookLayout.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QTime>

#include <algorithm>
#include <array>

namespace ReadBack {

struct Lengths {
    qsizetype labels;
    std::array<qsizetype, 6> values;
};

inline Lengths uniform(qsizetype n) {
    return {n, {n, n, n, n, n, n}};
}

// Values as the log holds them: tenths, some negative, some large, one per column apart.
inline WorkbookData makeLog(const Lengths& lengths, const QString& labelSuffix = {}) {
    WorkbookData data;
    data.date = QDate(2026, 12, 7);
    const QTime start(0, 0, 0);
    for (qsizetype k = 0; k < lengths.labels; ++k)
        data.timeLabels.append(start.addSecs(static_cast<int>(k)).toString(u"HH:mm:ss") +
                               labelSuffix);
    for (int c = 0; c < 6; ++c)
        for (qsizetype k = 0; k < lengths.values[c]; ++k)
            data.values[c].append(static_cast<double>((k * 7 + c * 131) % 20001 - 400) / 10.0);
    return data;
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
inline void verifyWorkbook(const QJsonObject& book, const WorkbookData& data, qint64 sheetRows,
                           const QString& dateFormat) {
    const QJsonArray sheets = book.value(u"sheets").toArray();
    const qint64 points = WorkbookLayout::pointCount(data);
    QCOMPARE(sheets.size(), WorkbookLayout::sheetCount(points, sheetRows));
    const QStringList headers = WorkbookLayout::headerTexts();

    for (int s = 0; s < sheets.size(); ++s) {
        const QJsonObject sheet = sheets.at(s).toObject();
        QCOMPARE(sheet.value(u"name").toString(), WorkbookLayout::sheetName(s));

        // Header row: date, six texts, all filled green, framed and centred.
        const QJsonArray header = sheet.value(u"header").toArray();
        QCOMPARE(header.size(), 7);
        const QJsonObject a1 = header.at(0).toObject();
        QCOMPARE(a1.value(u"date").toArray(), (QJsonArray{2026, 12, 7}));
        QCOMPARE(a1.value(u"format").toString(), dateFormat);
        for (int c = 0; c < 7; ++c) {
            const QJsonObject cell = header.at(c).toObject();
            if (c > 0)
                QCOMPARE(cell.value(u"text").toString(), headers.at(c - 1));
            QCOMPARE(cell.value(u"fill").toString(), QStringLiteral("00FF00"));
            QCOMPARE(cell.value(u"align").toString(), QStringLiteral("center"));
            QCOMPARE(cell.value(u"borders").toArray(),
                     (QJsonArray{"thin", "thin", "thin", "thin"}));
        }

        // Columns A..G 11 wide, A..H centred.
        const QJsonArray columnInfo = sheet.value(u"columnInfo").toArray();
        for (int c = 0; c < 8; ++c) {
            const QJsonObject info = columnInfo.at(c).toObject();
            QVERIFY2(!info.isEmpty(), qPrintable(QStringLiteral("column %1").arg(c)));
            QCOMPARE(info.value(u"align").toString(), QStringLiteral("center"));
            if (c < 7)
                QCOMPARE(info.value(u"width").toDouble(), 11.0);
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
        QCOMPARE(labels.size(), expectedLength(data.timeLabels.size()));
        for (qsizetype r = 0; r < labels.size(); ++r)
            QCOMPARE(labels.at(r).toArray(), (QJsonArray{"text", data.timeLabels.at(first + r)}));
        for (int c = 0; c < 6; ++c) {
            const QJsonArray values = columns.at(c + 1).toArray();
            QCOMPARE(values.size(), expectedLength(data.values[c].size()));
            for (qsizetype r = 0; r < values.size(); ++r) {
                QVERIFY2(values.at(r).isDouble(),
                         qPrintable(QStringLiteral("column %1 row %2").arg(c + 1).arg(r + 2)));
                QCOMPARE(values.at(r).toDouble(), data.values[c].at(first + r));
            }
        }
    }
}

} // namespace ReadBack
