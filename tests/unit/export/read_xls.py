"""Describes an .xls workbook as JSON, read with xlrd: the BIFF version, and for every
sheet its name, cells (type and value), column widths and formats, and the formatting of
the header row and of the data cells."""
import json
import sys

import xlrd

ALIGN = {0: "general", 1: "left", 2: "center", 3: "right"}
LINE = {0: None, 1: "thin"}
# Column widths are stored with the cell padding of the default font added.
PADDING = 5.0 / 7.0


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
    out = {"biff": book.biff_version, "sheets": []}
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
