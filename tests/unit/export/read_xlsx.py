"""Describes an .xlsx workbook as JSON, read with openpyxl, in the same shape as
read_xls.py: for every sheet its name, cells, column widths and formats, and the
formatting of the header row and of the data cells."""
import datetime
import json
import sys

import openpyxl
from openpyxl.utils import column_index_from_string

# Column widths are stored with the cell padding of the default font added.
PADDING = 5.0 / 7.0


def colour(c):
    if c is None or c.rgb is None or not isinstance(c.rgb, str):
        return "?"
    return c.rgb[-6:].upper()


def describe_style(obj):
    fill = None
    if obj.fill is not None and obj.fill.fill_type == "solid":
        fill = colour(obj.fill.fgColor)
    b = obj.border
    return {
        "align": obj.alignment.horizontal or "general",
        "fill": fill,
        "borders": [s.style if s is not None else None
                    for s in (b.left, b.right, b.top, b.bottom)],
        "format": obj.number_format,
    }


def main(path):
    book = openpyxl.load_workbook(path)
    out = {"sheets": []}
    for sheet in book.worksheets:
        columns = []
        for c in range(1, sheet.max_column + 1):
            column = []
            for r in range(2, sheet.max_row + 1):
                cell = sheet.cell(r, c)
                v = cell.value
                if v is None:
                    column.append(None)
                elif cell.data_type == "n" and not cell.is_date:
                    column.append(float(v))
                elif cell.data_type in ("s", "inlineStr"):
                    column.append(["text", v])
                else:
                    column.append(["type-" + cell.data_type, str(v)])
            while column and column[-1] is None:
                column.pop()
            columns.append(column)
        header = []
        for c in range(1, sheet.max_column + 1):
            cell = sheet.cell(1, c)
            entry = describe_style(cell)
            if cell.is_date and isinstance(cell.value, datetime.datetime):
                entry["date"] = [cell.value.year, cell.value.month, cell.value.day]
            elif cell.data_type == "s":
                entry["text"] = cell.value
            else:
                entry["type"] = cell.data_type
            header.append(entry)
        data_formats = set()
        for row in sheet.iter_rows(min_row=2):
            for cell in row:
                if cell.value is not None:
                    data_formats.add(json.dumps(describe_style(cell), sort_keys=True))
        column_info = [None] * 8
        for key, dim in sheet.column_dimensions.items():
            first = dim.min or column_index_from_string(key)
            last = dim.max or first
            for c in range(first, last + 1):
                if c <= 8:
                    entry = describe_style(dim)
                    entry["width"] = round(dim.width - PADDING, 2)
                    entry["hidden"] = bool(dim.hidden)
                    column_info[c - 1] = entry
        out["sheets"].append({
            "name": sheet.title,
            "rows": sheet.max_row,
            "header": header,
            "columns": columns,
            "dataFormats": [json.loads(f) for f in sorted(data_formats)],
            "columnInfo": column_info,
        })
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
