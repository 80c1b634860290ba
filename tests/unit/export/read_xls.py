"""Describes an .xls workbook as JSON, read with xlrd: the BIFF version, and for every
sheet its name, cells (type and value), column widths and formats, and the formatting of
the header row and of the data cells. It also walks the workbook stream's records
itself, since xlrd forgives what a spreadsheet application may not, and lists what is
wrong with them under "recordProblems"."""
import io
import json
import struct
import sys

import xlrd
from xlrd import compdoc

ALIGN = {0: "general", 1: "left", 2: "center", 3: "right"}
LINE = {0: None, 1: "thin"}
# Column widths are stored with the cell padding of the default font added.
PADDING = 5.0 / 7.0

BOF, EOF, SST, CONTINUE, EXTSST, BOUNDSHEET = 0x0809, 0x000A, 0x00FC, 0x003C, 0x00FF, 0x0085
DIMENSIONS, NUMBER, LABELSST, RRTABID = 0x0200, 0x0203, 0x00FD, 0x013D
# Data lengths of the fixed-size records the writer uses.
FIXED = {BOF: 16, EOF: 0, 0x00E1: 2, 0x00C1: 2, 0x00E2: 0, 0x005C: 112, 0x0042: 2,
         0x0161: 2, 0x0019: 2, 0x0012: 2, 0x0013: 2, 0x01AF: 2, 0x01BC: 2, 0x003D: 18,
         0x0040: 2, 0x008D: 2, 0x0022: 2, 0x000E: 2, 0x01B7: 2, 0x00DA: 2, 0x00E0: 20,
         0x0293: 4, 0x0160: 2, 0x008C: 4, 0x002A: 2, 0x002B: 2, 0x0082: 2, 0x0080: 8,
         0x0225: 4, 0x0081: 2, 0x0083: 2, 0x0084: 2, 0x0055: 2, 0x007D: 12, DIMENSIONS: 14,
         NUMBER: 14, LABELSST: 10, 0x023E: 18}


def string_length(data, at, length_size):
    """Bytes of a string with an 8- or 16-bit character count at data[at]."""
    count = data[at] if length_size == 1 else struct.unpack_from("<H", data, at)[0]
    wide = data[at + length_size] & 1
    return length_size + 1 + count * (2 if wide else 1)


def sized_right(rid, data, sheets):
    if rid in FIXED:
        return len(data) == FIXED[rid]
    if rid == 0x0031:  # FONT: 14 bytes, then the name with an 8-bit count
        return len(data) > 15 and len(data) == 14 + string_length(data, 14, 1)
    if rid == 0x041E:  # FORMAT: index, then the code with a 16-bit count
        return len(data) > 4 and len(data) == 2 + string_length(data, 2, 2)
    if rid == BOUNDSHEET:  # offset, state and type, then the name with an 8-bit count
        return len(data) > 7 and len(data) == 6 + string_length(data, 6, 1)
    if rid in (0x0014, 0x0015):  # HEADER, FOOTER: empty or one string
        return len(data) == 0 or len(data) == string_length(data, 0, 2)
    if rid == RRTABID:
        return len(data) == 2 * sheets
    if rid == EXTSST:
        return len(data) >= 2 and (len(data) - 2) % 8 == 0
    return rid in (SST, CONTINUE)


def read_string_table(records, problems):
    """Strings of the SST record and its CONTINUE records, with the stream position and
    record offset of each string's start. A string header never splits from its first
    character, and a string going on in the next record starts it with a width byte."""
    pos, data, _ = records[0]
    total, unique = struct.unpack_from("<II", data, 0)
    strings, starts = [], []
    record, at = 0, 8

    def next_record():
        nonlocal record, pos, data, at
        record += 1
        if record >= len(records):
            raise ValueError("string table ends inside a string")
        pos, data, _ = records[record]
        at = 0

    try:
        while len(strings) < unique:
            if at == len(data):
                next_record()
            count, flags = struct.unpack_from("<HB", data, at) if len(data) - at >= 3 else (0, 0)
            width = 2 if flags & 1 else 1
            if len(data) - at < 3 + (width if count else 0):
                problems.append("string %d header apart from its first character" % len(strings))
                break
            starts.append((pos + 4 + at, 4 + at))
            at += 3
            text = ""
            while True:
                n = min(count - len(text), (len(data) - at) // width)
                text += data[at:at + n * width].decode("utf-16-le" if width == 2 else "latin-1")
                at += n * width
                if len(text) == count:
                    break
                if at != len(data):
                    problems.append("string %d splits a character" % len(strings))
                next_record()
                flags = data[at]
                at += 1
                if flags not in (0, 1):
                    problems.append("string %d goes on without its width byte" % len(strings))
                width = 2 if flags & 1 else 1
            strings.append(text)
        if at != len(data) or record + 1 < len(records):
            problems.append("string table has bytes after its last string")
    except (ValueError, struct.error, IndexError) as e:
        problems.append("string table: %s" % e)
    return strings, starts, total, unique


def walk_records(stream, book):
    """What is wrong with the records of the workbook stream, as a list of texts."""
    problems = []
    records = []
    globals_sst = None
    at = 0
    while at + 4 <= len(stream):
        rid, size = struct.unpack_from("<HH", stream, at)
        records.append((at, stream[at + 4:at + 4 + size], rid))
        if size > 8224:
            problems.append("record %04X at %d longer than 8224 bytes" % (rid, at))
        at += 4 + size
    if at != len(stream):
        problems.append("stream ends inside a record")
    sheets = sum(1 for r in records if r[2] == BOUNDSHEET)
    for pos, data, rid in records:
        if not sized_right(rid, data, sheets):
            problems.append("record %04X at %d has %d bytes" % (rid, pos, len(data)))

    # Substreams: the globals, then one per sheet where its BOUNDSHEET points.
    by_pos = {pos: i for i, (pos, _, _) in enumerate(records)}
    offsets = [struct.unpack_from("<I", d, 0)[0] for _, d, r in records if r == BOUNDSHEET]
    starts = [0] + offsets
    for s, start in enumerate(starts):
        i = by_pos.get(start)
        if i is None or records[i][2] != BOF:
            problems.append("substream %d does not start with BOF" % s)
            continue
        kind = struct.unpack_from("<H", records[i][1], 2)[0]
        if kind != (0x0005 if s == 0 else 0x0010):
            problems.append("substream %d has BOF type %04X" % (s, kind))
        end = i
        while end < len(records) and records[end][2] != EOF:
            end += 1
        if end == len(records):
            problems.append("substream %d has no EOF" % s)
            continue
        body = records[i:end + 1]
        if s == 0:
            sst = [k for k, r in enumerate(body) if r[2] == SST]
            if len(sst) == 1:
                table = [body[sst[0]]]
                for r in body[sst[0] + 1:]:
                    if r[2] != CONTINUE:
                        break
                    table.append(r)
                globals_sst = (table, body)
            else:
                problems.append("%d SST records" % len(sst))
                globals_sst = None
            continue
        cells = []
        dims = [r for r in body if r[2] == DIMENSIONS]
        for _, data, rid in body:
            if rid in (NUMBER, LABELSST):
                cells.append(struct.unpack_from("<HH", data, 0))
        if len(dims) != 1:
            problems.append("sheet %d has %d DIMENSIONS records" % (s, len(dims)))
        elif len(dims[0][1]) == 14:
            first_row, last_row, first_col, last_col = struct.unpack_from("<IIHH", dims[0][1])
            rows = [r for r, _ in cells]
            cols = [c for _, c in cells]
            want = (min(rows), max(rows) + 1, min(cols), max(cols) + 1) if cells else (0, 0, 0, 0)
            if (first_row, last_row, first_col, last_col) != want:
                problems.append("sheet %d DIMENSIONS %s, cells span %s"
                                % (s, (first_row, last_row, first_col, last_col), want))

    # The string table against the cells that refer to it and against its index.
    labels = [struct.unpack_from("<HHHI", d, 0) for _, d, r in records if r == LABELSST]
    if globals_sst:
        table, body = globals_sst
        strings, string_starts, total, unique = read_string_table(table, problems)
        if total != len(labels):
            problems.append("SST counts %d references, the sheets have %d" % (total, len(labels)))
        if any(label[3] >= len(strings) for label in labels):
            problems.append("a cell refers past the string table")
        else:
            # Each text cell as xlrd read it; the sheets' cells come in sheet order.
            texts = [c.value for sheet in book.sheets() for c in
                     (sheet.cell(r, col) for r in range(sheet.nrows) for col in range(sheet.ncols))
                     if c.ctype == xlrd.XL_CELL_TEXT]
            if sorted(texts) != sorted(strings[label[3]] for label in labels):
                problems.append("string table differs from the texts xlrd read")
        index = [d for _, d, r in body if r == EXTSST]
        if len(index) != 1:
            problems.append("%d EXTSST records" % len(index))
        elif len(index[0]) >= 2:
            per_bucket = struct.unpack_from("<H", index[0], 0)[0]
            buckets = [struct.unpack_from("<IH", index[0], 2 + 8 * b)
                       for b in range((len(index[0]) - 2) // 8)]
            want = string_starts[::per_bucket] if per_bucket else []
            if buckets != want:
                problems.append("EXTSST does not point at every %d-th string" % per_bucket)
    return problems


def describe_xf(book, xf_index):
    xf = book.xf_list[xf_index]
    fmt = book.format_map[xf.format_key].format_str
    fill = None
    if xf.background.fill_pattern == 1:
        rgb = book.colour_map.get(xf.background.pattern_colour_index)
        fill = "%02X%02X%02X" % rgb if rgb else "?"
    b = xf.border
    return {
        "align": ALIGN.get(xf.alignment.hor_align, str(xf.alignment.hor_align)),
        "fill": fill,
        "borders": [LINE.get(s, str(s)) for s in (b.left_line_style, b.right_line_style,
                                                    b.top_line_style, b.bottom_line_style)],
        "format": fmt,
    }


def main(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    with open(path, "rb") as f:
        stream = compdoc.CompDoc(f.read(), logfile=io.StringIO()).get_named_stream("Workbook")
    out = {"biff": book.biff_version, "sheets": [],
           "recordProblems": walk_records(bytes(stream), book)}
    for sheet in book.sheets():
        columns = []
        for c in range(sheet.ncols):
            column = []
            for r in range(1, sheet.nrows):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    column.append(None)
                elif cell.ctype == xlrd.XL_CELL_NUMBER:
                    column.append(cell.value)
                elif cell.ctype == xlrd.XL_CELL_TEXT:
                    column.append(["text", cell.value])
                else:
                    column.append(["type%d" % cell.ctype, str(cell.value)])
            while column and column[-1] is None:
                column.pop()
            columns.append(column)
        header = []
        for c in range(sheet.ncols):
            cell = sheet.cell(0, c)
            entry = describe_xf(book, cell.xf_index)
            if cell.ctype == xlrd.XL_CELL_DATE:
                entry["date"] = list(xlrd.xldate_as_tuple(cell.value, book.datemode)[:3])
            elif cell.ctype == xlrd.XL_CELL_TEXT:
                entry["text"] = cell.value
            else:
                entry["type"] = cell.ctype
            header.append(entry)
        xf_indices = set()
        for r in range(1, sheet.nrows):
            for c in range(sheet.ncols):
                if sheet.cell_type(r, c) != xlrd.XL_CELL_EMPTY:
                    xf_indices.add(sheet.cell_xf_index(r, c))
        data_formats = {json.dumps(describe_xf(book, x), sort_keys=True) for x in xf_indices}
        column_info = []
        for c in range(8):
            info = sheet.colinfo_map.get(c)
            if info is None:
                column_info.append(None)
            else:
                entry = describe_xf(book, info.xf_index)
                entry["width"] = round(info.width / 256.0 - PADDING, 2)
                entry["hidden"] = bool(info.hidden)
                column_info.append(entry)
        out["sheets"].append({
            "name": sheet.name,
            "rows": sheet.nrows,
            "header": header,
            "columns": columns,
            "dataFormats": [json.loads(f) for f in sorted(data_formats)],
            "columnInfo": column_info,
        })
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
