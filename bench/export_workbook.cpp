// Spreadsheet export of a log with 1e6 points in each of the six exported series:
// the .xlsx export against a bare libxlsxwriter loop writing the same cells with the same
// formats in constant-memory mode, and the .xls export, side by side in one run; and the
// snapshot the export takes of the log on the window's thread.
#include "export/LogSnapshot.h"
#include "export/Uxls.h"
#include "export/WorkbookLayout.h"
#include "measurement/MeasurementLog.h"
#include "measurement/RegionalSettings.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr qsizetype Points = 1000000;

// Wall time, and the process's processor time, which other work on a busy machine
// disturbs less.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

class Stopwatch {
public:
    Stopwatch() : m_cpu(std::clock()) { m_wall.start(); }
    Timing elapsed() const {
        return {static_cast<double>(m_wall.nsecsElapsed()) / 1e9,
                static_cast<double>(std::clock() - m_cpu) / CLOCKS_PER_SEC};
    }

private:
    QElapsedTimer m_wall;
    std::clock_t m_cpu;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

constexpr int ExportedSeries[6] = {0, 1, 4, 7, 8, 9};

// Polls 3 s apart from 8:00, so the labels go round the clock.
void fillLog(MeasurementLog& log) {
    const QDate day(2026, 12, 7);
    std::vector<QDateTime> times;
    for (int s = 0; s < 86400; s += 3)
        times.emplace_back(day, QTime::fromMSecsSinceStartOfDay(((8 * 3600 + s) % 86400) * 1000));
    for (qsizetype k = 0; k < Points; ++k) {
        const QDateTime& when = times[static_cast<std::size_t>(k) % times.size()];
        for (int c = 0; c < 6; ++c)
            log.append(ExportedSeries[c],
                       static_cast<double>((k * 7 + c * 131) % 20001 - 400) / 10.0, when);
    }
}

// What libxlsxwriter alone costs for the same workbook.
Timing bareLoop(const MeasurementLog& log, const std::vector<std::string>& labels,
                const QString& fileName) {
    const Stopwatch watch;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(fileName.toLocal8Bit().constData(), &options);
    lxw_format* centred = workbook_add_format(book);
    format_set_align(centred, LXW_ALIGN_CENTER);
    lxw_format* header = workbook_add_format(book);
    format_set_align(header, LXW_ALIGN_CENTER);
    format_set_pattern(header, LXW_PATTERN_SOLID);
    format_set_bg_color(header, 0x00FF00);
    format_set_border(header, LXW_BORDER_THIN);
    lxw_format* date = workbook_add_format(book);
    format_set_align(date, LXW_ALIGN_CENTER);
    format_set_pattern(date, LXW_PATTERN_SOLID);
    format_set_bg_color(date, 0x00FF00);
    format_set_border(date, LXW_BORDER_THIN);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Лист1");
    worksheet_set_column(sheet, 0, 6, 11, centred);
    worksheet_set_column(sheet, 7, 7, LXW_DEF_COL_WIDTH, centred);
    worksheet_write_number(sheet, 0, 0, 46363, date);
    const char* headers[] = {"T , *C", "RH, %", "V , м/с", "E , лк", "L , Кд/м", "UV, мВт/м"};
    for (int c = 0; c < 6; ++c)
        worksheet_write_string(sheet, 0, c + 1, headers[c], header);
    for (qsizetype k = 0; k < Points; ++k) {
        const auto row = static_cast<lxw_row_t>(k + 1);
        worksheet_write_string(sheet, row, 0, labels[static_cast<std::size_t>(k)].c_str(), centred);
        for (int c = 0; c < 6; ++c)
            worksheet_write_number(sheet, row, c + 1, log.y(ExportedSeries[c], k), centred);
    }
    workbook_close(book);
    return watch.elapsed();
}

// The snapshot is taken on the window's thread; the file is written on the export's.
Timing timedExport(const MeasurementLog& log, const QString& fileName, Timing* snapshot) {
    const Stopwatch taking;
    LogSnapshot taken = LogSnapshot::take(log, QDate(2026, 12, 7));
    *snapshot = taking.elapsed();
    const Stopwatch watch;
    const ExportResult result = ExportWorkbook(std::move(taken), fileName);
    const Timing t = watch.elapsed();
    if (!result.ok)
        std::fprintf(stderr, "export failed: %s\n", qPrintable(result.reason));
    return t;
}

double megabytes(const QString& fileName) {
    return static_cast<double>(QFileInfo(fileName).size()) / 1e6;
}

} // namespace

int main() {
    RegionalSettings::setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    QTemporaryDir dir;
    MeasurementLog log;
    fillLog(log);
    std::vector<std::string> labels;
    labels.reserve(Points);
    for (qsizetype k = 0; k < Points; ++k)
        labels.push_back(log.TimeLabel(4, k).toStdString());

    const QString bareName = dir.filePath(QStringLiteral("bare.xlsx"));
    const QString xlsxName = dir.filePath(QStringLiteral("log.xlsx"));
    const QString xlsName = dir.filePath(QStringLiteral("log.xls"));

    std::printf("export of %lld points in each of six series\n", static_cast<long long>(Points));
    const LogSnapshot sample = LogSnapshot::take(log, QDate(2026, 12, 7));
    std::printf("snapshot: %.1f bytes per row\n",
                static_cast<double>(sample.memoryUsage()) / static_cast<double>(Points));
    std::vector<double> bareWall, bareCpu, oursWall, oursCpu, xlsWall, xlsCpu, takeWall;
    for (int round = 0; round < 3; ++round) {
        Timing taking;
        const Timing bare = bareLoop(log, labels, bareName);
        const Timing ours = timedExport(log, xlsxName, &taking);
        takeWall.push_back(taking.wall);
        const Timing xls = timedExport(log, xlsName, &taking);
        takeWall.push_back(taking.wall);
        bareWall.push_back(bare.wall);
        bareCpu.push_back(bare.cpu);
        oursWall.push_back(ours.wall);
        oursCpu.push_back(ours.cpu);
        xlsWall.push_back(xls.wall);
        xlsCpu.push_back(xls.cpu);
        std::printf("round %d: bare libxlsxwriter %.2f s (cpu %.2f s), .xlsx export %.2f s (cpu "
                    "%.2f s), .xls export %.2f s (cpu %.2f s)\n",
                    round + 1, bare.wall, bare.cpu, ours.wall, ours.cpu, xls.wall, xls.cpu);
    }
    std::printf("snapshot taken in median %.0f ms\n", median(takeWall) * 1000);
    std::printf(".xlsx median wall %.2f s vs bare %.2f s: ratio %.3f (goal <= 1.15)\n",
                median(oursWall), median(bareWall), median(oursWall) / median(bareWall));
    std::printf(".xlsx median cpu  %.2f s vs bare %.2f s: ratio %.3f\n", median(oursCpu),
                median(bareCpu), median(oursCpu) / median(bareCpu));
    std::printf(".xlsx file %.1f MB, bare %.1f MB\n", megabytes(xlsxName), megabytes(bareName));
    std::printf(".xls median wall %.2f s, cpu %.2f s (goal <= 0.4 s), %.1f MB, %d sheets\n",
                median(xlsWall), median(xlsCpu), megabytes(xlsName),
                WorkbookLayout::sheetCount(Points, WorkbookLayout::XlsSheetRows));
    return 0;
}
