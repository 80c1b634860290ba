#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>

// What both workbook formats lay out: the header row, the columns, the formatting, and
// how a log longer than one sheet continues on the next sheets.
namespace WorkbookLayout {

// Columns A to G carry data; centring reaches one column further, to H.
constexpr int DataColumnCount = 7;
constexpr int CentredColumnCount = 8;
constexpr double ColumnWidth = 11.0;
// The sheet's standard width, for column H.
constexpr double StandardColumnWidth = 8.43;
// The header fill, bright green.
constexpr std::uint32_t HeaderFillRgb = 0x00FF00;

constexpr std::int64_t XlsSheetRows = 65536;
constexpr std::int64_t XlsxSheetRows = 1048576;

// B1 to G1.
QStringList headerTexts();

// Sheets are named as a Russian spreadsheet names new ones: Лист1, Лист2, ...
QString sheetName(int sheetIndex);

// How many sheets of sheetRows rows (header included) hold pointCount points; an empty
// log still has one sheet with its header.
int sheetCount(std::int64_t pointCount, std::int64_t sheetRows);
// The first point on a sheet and how many points it holds.
std::int64_t firstPointOfSheet(int sheetIndex, std::int64_t sheetRows);
std::int64_t pointsOnSheet(int sheetIndex, std::int64_t pointCount, std::int64_t sheetRows);

// The spreadsheet's date number: days since 30 Dec 1899 (the 1900 date system).
double dateSerial(const QDate& date);
// A Qt date format (dd.MM.yyyy, M/d/yy ...) as a spreadsheet number format
// (dd.mm.yyyy, m/d/yy ...); literal text is quoted.
QString numberFormatForDate(const QString& qtDateFormat);
// The number format of A1: the regional short date format.
QString regionalDateFormat();

} // namespace WorkbookLayout
