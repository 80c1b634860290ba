"""Reads exported CSV back as JSON rows of [kind, value] cells: a .csv file with
Python's csv module (kind "text"), or the .xlsx a spreadsheet made of it with openpyxl
(kind "number", "datetime", "text" or "empty"), so that the test sees what the
spreadsheet took each cell for."""
import csv
import datetime
import json
import sys

name = sys.argv[1]
rows = []
if name.endswith(".csv"):
    with open(name, encoding="utf-8-sig", newline="") as f:
        for row in csv.reader(f, delimiter=";"):
            rows.append([["text", cell] for cell in row])
else:
    import openpyxl
    sheet = openpyxl.load_workbook(name).active
    for row in sheet.iter_rows(values_only=True):
        cells = []
        for v in row:
            if v is None:
                cells.append(["empty", ""])
            elif isinstance(v, datetime.datetime):
                cells.append(["datetime", v.strftime("%d.%m.%Y %H:%M:%S")])
            elif isinstance(v, (int, float)):
                cells.append(["number", float(v)])
            else:
                cells.append(["text", str(v)])
        rows.append(cells)
print(json.dumps({"rows": rows}, ensure_ascii=False))
