#include "XlsWorkbookWriter.h"

#include "BiffRecordWriter.h"
#include "CompoundFileWriter.h"
#include "LittleEndian.h"
#include "MarkCells.h"
#include "SharedStringTable.h"
#include "WorkbookLayout.h"

#include <QIODevice>
#include <QList>

#include <array>

#include <cmath>
#include <initializer_list>
#include <vector>

namespace {

namespace Record {
constexpr std::uint16_t Bof = 0x0809;
constexpr std::uint16_t Eof = 0x000A;
constexpr std::uint16_t CodePage = 0x0042;
constexpr std::uint16_t Window1 = 0x003D;
constexpr std::uint16_t DateMode = 0x0022;
constexpr std::uint16_t Precision = 0x000E;
constexpr std::uint16_t Font = 0x0031;
constexpr std::uint16_t Format = 0x041E;
constexpr std::uint16_t Xf = 0x00E0;
constexpr std::uint16_t Style = 0x0293;
constexpr std::uint16_t BoundSheet = 0x0085;
constexpr std::uint16_t DefColWidth = 0x0055;
constexpr std::uint16_t ColInfo = 0x007D;
constexpr std::uint16_t Dimensions = 0x0200;
constexpr std::uint16_t Window2 = 0x023E;
constexpr std::uint16_t InterfaceHdr = 0x00E1;
constexpr std::uint16_t Mms = 0x00C1;
constexpr std::uint16_t InterfaceEnd = 0x00E2;
constexpr std::uint16_t WriteAccess = 0x005C;
constexpr std::uint16_t Dsf = 0x0161;
constexpr std::uint16_t RrTabId = 0x013D;
constexpr std::uint16_t WindowProtect = 0x0019;
constexpr std::uint16_t Protect = 0x0012;
constexpr std::uint16_t Password = 0x0013;
constexpr std::uint16_t Prot4Rev = 0x01AF;
constexpr std::uint16_t Prot4RevPass = 0x01BC;
constexpr std::uint16_t Backup = 0x0040;
constexpr std::uint16_t HideObj = 0x008D;
constexpr std::uint16_t RefreshAll = 0x01B7;
constexpr std::uint16_t BookBool = 0x00DA;
constexpr std::uint16_t UsesElfs = 0x0160;
constexpr std::uint16_t Country = 0x008C;
constexpr std::uint16_t PrintHeaders = 0x002A;
constexpr std::uint16_t PrintGridlines = 0x002B;
constexpr std::uint16_t GridSet = 0x0082;
constexpr std::uint16_t Guts = 0x0080;
constexpr std::uint16_t DefaultRowHeight = 0x0225;
constexpr std::uint16_t WsBool = 0x0081;
constexpr std::uint16_t Header = 0x0014;
constexpr std::uint16_t Footer = 0x0015;
constexpr std::uint16_t HCenter = 0x0083;
constexpr std::uint16_t VCenter = 0x0084;
} // namespace Record

// Cell formats after the 21 that every workbook carries (15 style formats, the default
// cell format and five for the built-in number styles).
constexpr std::uint16_t HeaderXf = 21;
constexpr std::uint16_t DateXf = 22;
constexpr std::uint16_t CentredXf = 23;
constexpr std::uint16_t DateFormatIndex = 164; // the first number format of our own

// Palette entry 11 of the default palette is 00FF00.
constexpr std::uint8_t BrightGreen = 11;
constexpr std::uint8_t Black = 8;
constexpr std::uint8_t AutomaticForeground = 0x40;
constexpr std::uint8_t AutomaticBackground = 0x41;
constexpr std::uint8_t CentreBottom = 0x22; // horizontally centred, vertically at the bottom
constexpr std::uint8_t GeneralBottom = 0x20;

constexpr int ProgressStep = 4096;

QByteArray bof(std::uint16_t type) {
    QByteArray d;
    LittleEndian::append16(d, 0x0600); // BIFF8
    LittleEndian::append16(d, type);
    LittleEndian::append16(d, 0x0DBB); // build
    LittleEndian::append16(d, 0x07CC); // year
    LittleEndian::append32(d, 0);      // file history
    LittleEndian::append32(d, 0x06);   // lowest version that may read it
    return d;
}

QByteArray u16(std::uint16_t v) {
    QByteArray d;
    LittleEndian::append16(d, v);
    return d;
}

QByteArray writeAccess() {
    // The user name, padded with blanks to a fixed length.
    QByteArray d;
    BiffRecordWriter::appendString(d, QStringLiteral("vilta-monitor"));
    d.append(QByteArray(112 - d.size(), ' '));
    return d;
}

QByteArray sheetIds(int sheets) {
    QByteArray d;
    for (int s = 0; s < sheets; ++s)
        LittleEndian::append16(d, static_cast<std::uint16_t>(s + 1));
    return d;
}

QByteArray u16s(std::initializer_list<std::uint16_t> values) {
    QByteArray d;
    for (std::uint16_t v : values)
        LittleEndian::append16(d, v);
    return d;
}

QByteArray window1() {
    QByteArray d;
    LittleEndian::append16(d, 0x0168); // position and size in twips
    LittleEndian::append16(d, 0x001E);
    LittleEndian::append16(d, 0x4000);
    LittleEndian::append16(d, 0x2000);
    LittleEndian::append16(d, 0x0038); // scroll bars and sheet tabs shown
    LittleEndian::append16(d, 0);      // active sheet
    LittleEndian::append16(d, 0);      // first visible tab
    LittleEndian::append16(d, 1);      // selected sheets
    LittleEndian::append16(d, 0x0258); // tab bar width ratio
    return d;
}

QByteArray font() {
    QByteArray d;
    LittleEndian::append16(d, 200);    // 10 pt
    LittleEndian::append16(d, 0);      // plain
    LittleEndian::append16(d, 0x7FFF); // automatic colour
    LittleEndian::append16(d, 400);    // normal weight
    LittleEndian::append16(d, 0);      // no super/subscript
    LittleEndian::append8(d, 0);       // no underline
    LittleEndian::append8(d, 2);       // swiss family
    LittleEndian::append8(d, 204);     // Cyrillic character set
    LittleEndian::append8(d, 0);
    BiffRecordWriter::appendShortString(d, QStringLiteral("Arial"));
    return d;
}

QByteArray format(std::uint16_t index, const QString& code) {
    QByteArray d;
    LittleEndian::append16(d, index);
    BiffRecordWriter::appendString(d, code);
    return d;
}

struct XfFields {
    std::uint16_t format = 0;
    bool style = false;
    std::uint8_t alignment = GeneralBottom;
    std::uint8_t usedAttributes = 0;
    bool borders = false;
    bool fill = false;
};

QByteArray xf(const XfFields& f) {
    QByteArray d;
    LittleEndian::append16(d, 0); // font
    LittleEndian::append16(d, f.format);
    // Locked; a style format has no parent (0xFFF), a cell format has style 0 as parent.
    LittleEndian::append16(d, f.style ? 0xFFF5 : 0x0001);
    LittleEndian::append8(d, f.alignment);
    LittleEndian::append8(d, 0); // no rotation
    LittleEndian::append8(d, 0); // no indent
    LittleEndian::append8(d, f.usedAttributes);
    std::uint32_t lines = 0;
    std::uint32_t lineColours = 0;
    if (f.borders) {
        lines = 0x1111u | (std::uint32_t{Black} << 16) | (std::uint32_t{Black} << 23);
        lineColours = std::uint32_t{Black} | (std::uint32_t{Black} << 7);
    }
    if (f.fill)
        lineColours |= 1u << 26; // solid pattern
    LittleEndian::append32(d, lines);
    LittleEndian::append32(d, lineColours);
    const std::uint16_t foreground = f.fill ? BrightGreen : AutomaticForeground;
    LittleEndian::append16(d, static_cast<std::uint16_t>(foreground | (AutomaticBackground << 7)));
    return d;
}

QByteArray builtInStyle(std::uint16_t xfIndex, std::uint8_t styleId) {
    QByteArray d;
    LittleEndian::append16(d, static_cast<std::uint16_t>(0x8000 | xfIndex));
    LittleEndian::append8(d, styleId);
    LittleEndian::append8(d, 0xFF);
    return d;
}

QByteArray boundSheet(const QString& name) {
    QByteArray d;
    LittleEndian::append32(d, 0); // the sheet's stream position, patched later
    LittleEndian::append8(d, 0);  // visible
    LittleEndian::append8(d, 0);  // worksheet
    BiffRecordWriter::appendShortString(d, name);
    return d;
}

// A width as the spreadsheet application stores it: in 256ths of a digit of the default
// font with the cell's padding included, from the whole pixels the width in characters
// takes (digits 7 pixels wide, 5 pixels of padding): 11 characters are 82 pixels, 2998.
std::uint16_t storedWidth(double characters) {
    constexpr int DigitPixels = 7;
    constexpr int PaddingPixels = 5;
    const int pixels = static_cast<int>(characters * DigitPixels + 0.5) + PaddingPixels;
    return static_cast<std::uint16_t>(pixels * 256 / DigitPixels);
}

// A width set by hand is marked so; column H keeps the sheet's standard width unmarked,
// as the .xlsx has it.
QByteArray colInfo(std::uint16_t first, std::uint16_t last, double widthInCharacters,
                   bool setByHand) {
    QByteArray d;
    LittleEndian::append16(d, first);
    LittleEndian::append16(d, last);
    LittleEndian::append16(d, storedWidth(widthInCharacters));
    LittleEndian::append16(d, CentredXf);
    LittleEndian::append16(d, setByHand ? 0x0002 : 0);
    LittleEndian::append16(d, 0);
    return d;
}

QByteArray dimensions(std::uint32_t rows, std::uint16_t columns) {
    QByteArray d;
    LittleEndian::append32(d, 0);
    LittleEndian::append32(d, rows);
    LittleEndian::append16(d, 0);
    LittleEndian::append16(d, columns);
    LittleEndian::append16(d, 0);
    return d;
}

QByteArray window2(bool active) {
    QByteArray d;
    // Grid, headers, zeros, automatic grid colour, outline symbols; the active sheet is
    // also selected and shown.
    LittleEndian::append16(d, active ? 0x06B6 : 0x00B6);
    LittleEndian::append16(d, 0); // top row
    LittleEndian::append16(d, 0); // left column
    LittleEndian::append16(d, 0x40);
    LittleEndian::append16(d, 0);
    LittleEndian::append16(d, 0); // zoom: default
    LittleEndian::append16(d, 0);
    LittleEndian::append32(d, 0);
    return d;
}

void writeGlobals(BiffRecordWriter& out, int sheets, const SharedStringTable& strings,
                  QList<std::int64_t>& sheetOffsetPositions) {
    out.record(Record::Bof, bof(0x0005));
    out.record(Record::InterfaceHdr, u16(1200));
    out.record(Record::Mms, u16(0));
    out.record(Record::InterfaceEnd, {});
    out.record(Record::WriteAccess, writeAccess());
    out.record(Record::CodePage, u16(1200)); // UTF-16
    out.record(Record::Dsf, u16(0));
    out.record(Record::RrTabId, sheetIds(sheets));
    out.record(Record::WindowProtect, u16(0));
    out.record(Record::Protect, u16(0));
    out.record(Record::Password, u16(0));
    out.record(Record::Prot4Rev, u16(0));
    out.record(Record::Prot4RevPass, u16(0));
    out.record(Record::Window1, window1());
    out.record(Record::Backup, u16(0));
    out.record(Record::HideObj, u16(0));
    out.record(Record::DateMode, u16(0)); // 1900 date system
    out.record(Record::Precision, u16(1));
    out.record(Record::RefreshAll, u16(0));
    out.record(Record::BookBool, u16(0));
    // Index 4 is never used, so five records give fonts 0 to 3 and 5.
    for (int i = 0; i < 5; ++i)
        out.record(Record::Font, font());
    out.record(Record::Format, format(DateFormatIndex, WorkbookLayout::regionalDateFormat()));

    out.record(Record::Xf, xf({.style = true})); // Normal
    for (int i = 1; i < 15; ++i)
        out.record(Record::Xf, xf({.style = true, .usedAttributes = 0xF4}));
    out.record(Record::Xf, xf({})); // the default cell format
    for (std::uint16_t builtIn : {0x2B, 0x29, 0x2C, 0x2A, 0x09})
        out.record(Record::Xf, xf({.format = builtIn, .style = true, .usedAttributes = 0xF8}));
    out.record(
        Record::Xf,
        xf({.alignment = CentreBottom, .usedAttributes = 0x70, .borders = true, .fill = true}));
    out.record(Record::Xf, xf({.format = DateFormatIndex,
                               .alignment = CentreBottom,
                               .usedAttributes = 0x74,
                               .borders = true,
                               .fill = true}));
    out.record(Record::Xf, xf({.alignment = CentreBottom, .usedAttributes = 0x10}));

    // Normal, Comma, Comma [0], Currency, Currency [0], Percent.
    out.record(Record::Style, builtInStyle(0, 0));
    out.record(Record::Style, builtInStyle(16, 3));
    out.record(Record::Style, builtInStyle(17, 6));
    out.record(Record::Style, builtInStyle(18, 4));
    out.record(Record::Style, builtInStyle(19, 7));
    out.record(Record::Style, builtInStyle(20, 5));

    out.record(Record::UsesElfs, u16(0));
    for (int s = 0; s < sheets; ++s) {
        sheetOffsetPositions.append(out.position() + 4);
        out.record(Record::BoundSheet, boundSheet(WorkbookLayout::sheetName(s)));
    }
    out.record(Record::Country, u16s({7, 7}));
    strings.write(out);
    out.record(Record::Eof, {});
}

constexpr std::uint32_t NoString = 0xFFFFFFFF;

// Adds every label to the string table and returns each label's index by the second of
// the day: a label's text depends on nothing else, so it is made once, where it first
// occurs.
std::vector<std::uint32_t> addLabels(const LogSnapshot& snapshot, SharedStringTable& strings) {
    std::vector<std::uint32_t> bySecond(86400, NoString);
    for (qsizetype k = 0; k < snapshot.labelCount(); ++k) {
        std::uint32_t& index = bySecond[static_cast<std::size_t>(snapshot.secondOfDay(k))];
        if (index == NoString)
            index = strings.add(snapshot.label(k));
        else
            strings.addReference();
    }
    return bySecond;
}

void writeSheetHead(BiffRecordWriter& out, std::int64_t rows, int columns) {
    using namespace WorkbookLayout;
    out.record(Record::Bof, bof(0x0010));
    out.record(Record::PrintHeaders, u16(0));
    out.record(Record::PrintGridlines, u16(0));
    out.record(Record::GridSet, u16(1));
    out.record(Record::Guts, u16s({0, 0, 0, 0}));
    out.record(Record::DefaultRowHeight, u16s({0, 255}));
    out.record(Record::WsBool, u16(0x04C1)); // outline symbols, automatic page breaks
    out.record(Record::Header, {});
    out.record(Record::Footer, {});
    out.record(Record::HCenter, u16(0));
    out.record(Record::VCenter, u16(0));
    out.record(Record::DefColWidth, u16(8));
    out.record(Record::ColInfo, colInfo(0, DataColumnCount - 1, ColumnWidth, true));
    // Column H is only centred; it keeps the sheet's standard width.
    out.record(Record::ColInfo,
               colInfo(DataColumnCount, CentredColumnCount - 1, StandardColumnWidth, false));
    out.record(Record::Dimensions,
               dimensions(static_cast<std::uint32_t>(rows), static_cast<std::uint16_t>(columns)));
}

} // namespace

ExportResult XlsWorkbookWriter::write(LogSnapshot& snapshot, QIODevice* device,
                                      const ExportProgress& progress) {
    using namespace WorkbookLayout;
    const std::int64_t points = snapshot.rowCount();
    const int sheets = sheetCount(points, XlsSheetRows);

    SharedStringTable strings;
    QStringList headers = headerTexts();
    // Column H holds the marks, only in a log that has some.
    const std::map<qsizetype, QString>& marks = snapshot.marks();
    if (!marks.empty())
        headers << markHeading();
    QList<std::uint32_t> headerIndex;
    for (int s = 0; s < sheets; ++s)
        for (const QString& h : headers)
            headerIndex.append(strings.add(h));
    const std::vector<std::uint32_t> labelIndex = addLabels(snapshot, strings);
    std::map<qsizetype, std::uint32_t> markIndex;
    for (const auto& [row, text] : marks)
        markIndex.emplace(row, strings.add(text));

    CompoundFileWriter stream(device);
    BiffRecordWriter out(stream);
    QList<std::int64_t> sheetOffsetPositions;
    writeGlobals(out, sheets, strings, sheetOffsetPositions);

    const double date = dateSerial(snapshot.date());
    std::array<qsizetype, LogSnapshot::ValueColumns> valueCounts{};
    for (int c = 0; c < LogSnapshot::ValueColumns; ++c)
        valueCounts[static_cast<std::size_t>(c)] = snapshot.valueCount(c);
    const qsizetype labelCount = snapshot.labelCount();
    for (int s = 0; s < sheets; ++s) {
        out.patch32(sheetOffsetPositions.at(s), static_cast<std::uint32_t>(out.position()));
        const std::int64_t first = firstPointOfSheet(s, XlsSheetRows);
        const std::int64_t count = pointsOnSheet(s, points, XlsSheetRows);
        writeSheetHead(out, count + 1, DataColumnCount + (marks.empty() ? 0 : 1));

        out.number(0, 0, DateXf, date);
        for (int c = 0; c < headers.size(); ++c)
            out.labelSst(0, static_cast<std::uint16_t>(c + 1), HeaderXf,
                         headerIndex.at(s * headers.size() + c));

        for (std::int64_t r = 0; r < count; ++r) {
            const std::int64_t k = first + r;
            const auto row = static_cast<std::uint16_t>(r + 1);
            if (k < labelCount)
                out.labelSst(row, 0, CentredXf,
                             labelIndex[static_cast<std::size_t>(snapshot.secondOfDay(k))]);
            for (int c = 0; c < LogSnapshot::ValueColumns; ++c) {
                if (k >= valueCounts[static_cast<std::size_t>(c)])
                    continue;
                // A number the format cannot hold (not finite) leaves the cell empty.
                const double v = snapshot.value(c, k);
                if (std::isfinite(v))
                    out.number(row, static_cast<std::uint16_t>(c + 1), CentredXf, v);
            }
            if (const auto m = markIndex.find(k); m != markIndex.end())
                out.labelSst(row, DataColumnCount, CentredXf, m->second);
            if (((k + 1) % ProgressStep) == 0) {
                snapshot.releaseRowsBefore(k + 1);
                if (progress)
                    progress(static_cast<double>(k + 1) / static_cast<double>(points));
            }
        }
        out.record(Record::Window2, window2(s == 0));
        out.record(Record::Eof, {});
        if (stream.failed())
            break;
    }
    snapshot.releaseRowsBefore(points);
    if (!stream.finish())
        return ExportResult::failure(stream.errorString());
    if (progress)
        progress(1.0);
    return ExportResult::success();
}
