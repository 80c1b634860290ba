#include "XlsxWorkbookWriter.h"

#include "FileFailureReason.h"
#include "MarkCells.h"
#include "WorkbookLayout.h"

#include <QFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>

namespace {

constexpr int ProgressStep = 4096;
// Compressing the sheets at the end takes about as long as writing the cells.
constexpr double CellShare = 0.5;

struct Formats {
    lxw_format* header;
    lxw_format* date;
    lxw_format* centred;
};

Formats makeFormats(lxw_workbook* book, const QByteArray& dateFormat) {
    Formats f{};
    f.centred = workbook_add_format(book);
    format_set_align(f.centred, LXW_ALIGN_CENTER);

    f.header = workbook_add_format(book);
    format_set_align(f.header, LXW_ALIGN_CENTER);
    format_set_pattern(f.header, LXW_PATTERN_SOLID);
    format_set_bg_color(f.header, WorkbookLayout::HeaderFillRgb);
    format_set_border(f.header, LXW_BORDER_THIN);

    f.date = workbook_add_format(book);
    format_set_align(f.date, LXW_ALIGN_CENTER);
    format_set_pattern(f.date, LXW_PATTERN_SOLID);
    format_set_bg_color(f.date, WorkbookLayout::HeaderFillRgb);
    format_set_border(f.date, LXW_BORDER_THIN);
    format_set_num_format(f.date, dateFormat.constData());
    return f;
}

QString reasonOf(lxw_error error) {
    return QString::fromUtf8(lxw_strerror(error));
}

// The library names the step that failed; for a failed file operation the system's error
// number, taken right after it, says why (a full disk, say).
QString reasonOf(lxw_error error, int systemError) {
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        if (systemError != 0)
            return FileFailureReason(std::error_code(systemError, std::generic_category()),
                                     reasonOf(error));
        break;
    default:
        break;
    }
    return reasonOf(error);
}

} // namespace

ExportResult XlsxWorkbookWriter::write(LogSnapshot& snapshot, const QString& fileName,
                                       const ExportProgress& progress) {
    using namespace WorkbookLayout;
    const std::int64_t points = snapshot.rowCount();
    const int sheets = sheetCount(points, XlsxSheetRows);

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray nativeName = QFile::encodeName(fileName);
    lxw_workbook* book = workbook_new_opt(nativeName.constData(), &options);
    if (!book)
        return ExportResult::failure(reasonOf(LXW_ERROR_MEMORY_MALLOC_FAILED));

    const Formats formats = makeFormats(book, regionalDateFormat().toUtf8());
    QList<QByteArray> headers;
    for (const QString& h : headerTexts())
        headers.append(h.toUtf8());
    // Column H holds the marks, only in a log that has some.
    const std::map<qsizetype, QString>& marks = snapshot.marks();
    if (!marks.empty())
        headers.append(markHeading().toUtf8());
    const double date = dateSerial(snapshot.date());

    lxw_error error = LXW_NO_ERROR;
    for (int s = 0; s < sheets && error == LXW_NO_ERROR; ++s) {
        lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName(s).toUtf8().constData());
        if (!sheet) {
            // The sheet's temporary file could not be made.
            error = LXW_ERROR_CREATING_TMPFILE;
            break;
        }
        worksheet_set_column(sheet, 0, DataColumnCount - 1, ColumnWidth, formats.centred);
        worksheet_set_column(sheet, DataColumnCount, CentredColumnCount - 1, StandardColumnWidth,
                             formats.centred);

        worksheet_write_number(sheet, 0, 0, date, formats.date);
        for (int c = 0; c < headers.size(); ++c)
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c + 1),
                                   headers.at(c).constData(), formats.header);

        // Constant-memory mode takes each row whole and in order.
        const std::int64_t first = firstPointOfSheet(s, XlsxSheetRows);
        const std::int64_t count = pointsOnSheet(s, points, XlsxSheetRows);
        for (std::int64_t r = 0; r < count && error == LXW_NO_ERROR; ++r) {
            const std::int64_t k = first + r;
            const auto row = static_cast<lxw_row_t>(r + 1);
            if (k < snapshot.labelCount()) {
                const QByteArray label = snapshot.label(k).toUtf8();
                error = worksheet_write_string(sheet, row, 0, label.constData(), formats.centred);
            }
            for (int c = 0; c < LogSnapshot::ValueColumns && error == LXW_NO_ERROR; ++c) {
                if (k >= snapshot.valueCount(c))
                    continue;
                const double v = snapshot.value(c, k);
                if (std::isfinite(v))
                    error = worksheet_write_number(sheet, row, static_cast<lxw_col_t>(c + 1), v,
                                                   formats.centred);
            }
            if (const auto m = marks.find(k); m != marks.end() && error == LXW_NO_ERROR)
                error = worksheet_write_string(sheet, row, DataColumnCount,
                                               m->second.toUtf8().constData(), formats.centred);
            if (((k + 1) % ProgressStep) == 0) {
                snapshot.releaseRowsBefore(k + 1);
                if (progress)
                    progress(CellShare * static_cast<double>(k + 1) / static_cast<double>(points));
            }
        }
    }
    snapshot.releaseRowsBefore(points);
    if (error != LXW_NO_ERROR) {
        // Closing is the only way to free the workbook; what it writes is thrown away.
        workbook_close(book);
        return ExportResult::failure(reasonOf(error));
    }
    if (progress)
        progress(CellShare);
    errno = 0;
    error = workbook_close(book);
    if (error != LXW_NO_ERROR)
        return ExportResult::failure(reasonOf(error, errno));
    if (progress)
        progress(1.0);
    return ExportResult::success();
}
