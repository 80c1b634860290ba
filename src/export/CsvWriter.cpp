#include "CsvWriter.h"

#include "FileFailureReason.h"
#include "MarkCells.h"
#include "ReplacingFile.h"
#include "measurement/Channel.h"
#include "measurement/ChannelCaption.h"
#include "measurement/LogSeries.h"
#include "measurement/RegionalSettings.h"

#include <QFile>
#include <QLocale>

#include <cmath>
#include <cstdlib>

namespace {

constexpr qint64 SecondsPerDay = 86400;
constexpr int RowsPerProgress = 4096;
constexpr qsizetype FlushBytes = 1 << 20;

void appendTwoDigits(QByteArray& out, int v) {
    out.append(static_cast<char>('0' + v / 10));
    out.append(static_cast<char>('0' + v % 10));
}

// Whole tenths as ValueText writes them: no trailing ",0", no group separator.
void appendTenths(QByteArray& out, qint32 q, char separator) {
    if (q < 0)
        out.append('-');
    const auto magnitude = static_cast<quint32>(std::abs(static_cast<qint64>(q)));
    out.append(QByteArray::number(magnitude / 10));
    if (magnitude % 10 != 0) {
        out.append(separator);
        out.append(static_cast<char>('0' + magnitude % 10));
    }
}

// The user's text as one cell: quoted when it holds a separator, a quote or a line end. A
// text a spreadsheet would take for a formula (a mark may come from someone else's file)
// gets a leading apostrophe, which keeps it text.
QByteArray csvText(const QString& text) {
    QByteArray t = text.toUtf8();
    if (t.startsWith('=') || t.startsWith('+') || t.startsWith('-') || t.startsWith('@'))
        t.prepend('\'');
    if (!t.contains(';') && !t.contains('"') && !t.contains('\n') && !t.contains('\r'))
        return t;
    return '"' + t.replace('"', "\"\"") + '"';
}

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
    QLocale c(QLocale::C);
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    const std::vector<int>& series = table.columnSeries();

    QByteArray out("\xEF\xBB\xBF");
    out.append("Дата и время");
    for (int s : series)
        out.append(';').append(channelHeading(static_cast<Channel>(s)).toUtf8());
    // Only a log with marks has their column, so one without keeps its layout.
    const std::map<qsizetype, QString> marks = table.marks();
    if (!marks.empty())
        out.append(';').append(markHeading().toUtf8());
    out.append("\r\n");

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
            dateText = table.baseDate().addDays(day).toString(u"dd.MM.yyyy ").toLatin1();
        }
        const auto ofDay = static_cast<int>(seconds - day * SecondsPerDay);
        out.append(dateText);
        appendTwoDigits(out, ofDay / 3600);
        out.append(':');
        appendTwoDigits(out, ofDay / 60 % 60);
        out.append(':');
        appendTwoDigits(out, ofDay % 60);
        for (std::size_t col = 0; col < series.size(); ++col) {
            out.append(';');
            const qint32 q = table.tenths(static_cast<int>(col), r);
            if (q == PollTable::NoValue)
                continue;
            if (q != LogSeries::OutlierMark) {
                appendTenths(out, q, separator);
                continue;
            }
            // Beyond what whole tenths hold: written in full, or left empty when it is
            // no number a spreadsheet could take.
            const double v = table.value(static_cast<int>(col), r);
            if (std::isfinite(v))
                out.append(
                    c.toString(v, 'g', 15).replace(u'.', QChar::fromLatin1(separator)).toLatin1());
        }
        if (!marks.empty()) {
            out.append(';');
            if (const auto m = marks.find(r); m != marks.end())
                out.append(csvText(m->second));
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
