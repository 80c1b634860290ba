#include "CsvWriter.h"

#include "CsvLine.h"
#include "FileFailureReason.h"
#include "ReplacingFile.h"
#include "measurement/LogSeries.h"
#include "measurement/RegionalSettings.h"

#include <QFile>

#include <limits>

namespace {

constexpr qint64 SecondsPerDay = 86400;
constexpr int RowsPerProgress = 4096;
constexpr qsizetype FlushBytes = 1 << 20;

} // namespace

QString DefaultCsvName(const QDate& date) {
    return RegionalSettings::shortDate(date) + QStringLiteral("CSV.csv");
}

bool IsCsvName(const QString& fileName) {
    return fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
}

ExportResult ExportCsv(PollTable table, QChar decimalSeparator, const QString& fileName,
                       const ExportProgress& progress) {
    ReplacingFile target(fileName);
    if (!target.create())
        return ExportResult::failure(target.errorString());
    QFile file(target.temporaryName());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return ExportResult::failure(FileFailureReason(file.errorString()));

    const char separator = decimalSeparator.toLatin1() ? decimalSeparator.toLatin1() : '.';
    const std::vector<int>& series = table.columnSeries();

    // Only a log with marks has their column, so one without keeps its layout.
    const std::map<qsizetype, QString> marks = table.marks();
    QByteArray out(CsvLine::ByteOrderMark);
    out.append(CsvLine::header(series, !marks.empty()));

    qint64 shownDay = std::numeric_limits<qint64>::min();
    QByteArray dateText;
    const qsizetype rows = table.rowCount();
    bool ok = true;
    for (qsizetype r = 0; r < rows && ok; ++r) {
        const qint64 seconds = table.seconds(r);
        const qint64 day = seconds >= 0 ? seconds / SecondsPerDay
                                        : -((-seconds + SecondsPerDay - 1) / SecondsPerDay);
        if (day != shownDay) {
            shownDay = day;
            dateText = CsvLine::dateText(table.baseDate().addDays(day));
        }
        const auto ofDay = static_cast<int>(seconds - day * SecondsPerDay);
        out.append(dateText);
        CsvLine::appendTime(out, ofDay);
        for (std::size_t col = 0; col < series.size(); ++col) {
            out.append(';');
            const qint32 q = table.tenths(static_cast<int>(col), r);
            if (q == PollTable::NoValue)
                continue;
            if (q != LogSeries::OutlierMark)
                CsvLine::appendTenths(out, q, separator);
            else
                CsvLine::appendValue(out, table.value(static_cast<int>(col), r), separator);
        }
        if (!marks.empty()) {
            out.append(';');
            if (const auto m = marks.find(r); m != marks.end())
                out.append(CsvLine::text(m->second));
        }
        out.append("\r\n");
        if (out.size() >= FlushBytes) {
            ok = file.write(out) == out.size();
            out.clear();
        }
        if ((r + 1) % RowsPerProgress == 0) {
            table.releaseRowsBefore(r + 1);
            if (progress)
                progress(static_cast<double>(r + 1) / static_cast<double>(rows));
        }
    }
    if (ok && !out.isEmpty())
        ok = file.write(out) == out.size();
    if (ok)
        ok = file.flush();
    file.close();
    if (!ok || file.error() != QFileDevice::NoError)
        return ExportResult::failure(FileFailureReason(file.errorString()));
    if (!target.commit())
        return ExportResult::failure(target.errorString());
    if (progress)
        progress(1.0);
    return ExportResult::success();
}
