"""Prints every sheet of a workbook as JSON, read by independent readers: xlrd and olefile for .xls,
openpyxl for .xlsx. Usage: read_workbook.py FILE xls|xlsx [formulas]
Cells: strings, numbers and booleans as JSON values, dates as {"date": ISO}, formulas (xlsx with
"formulas") as {"formula": text}, empty cells as null."""
import datetime
import json
import sys


def date_cell(value):
    if isinstance(value, datetime.datetime) and value.time() == datetime.time(0):
        value = value.date()
    return {"date": value.isoformat(sep=" ") if isinstance(value, datetime.datetime) else value.isoformat()}


def read_xls(path):
    import olefile
    import xlrd

    if not olefile.isOleFile(path):
        raise SystemExit("not an OLE2 file")
    with olefile.OleFileIO(path) as ole:
        if not ole.exists("Workbook"):
            raise SystemExit("no Workbook stream")
    book = xlrd.open_workbook(path)
    sheets = []
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    row.append(None)
                elif cell.ctype == xlrd.XL_CELL_DATE:
                    value = xlrd.xldate.xldate_as_datetime(cell.value, book.datemode)
                    row.append(date_cell(value if value.time() != datetime.time(0) else value.date()))
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    row.append(bool(cell.value))
                else:
                    row.append(cell.value)
            rows.append(row)
        sheets.append({"name": sheet.name, "rows": rows})
    return sheets


def read_xlsx(path, formulas):
    import openpyxl

    book = openpyxl.load_workbook(path, data_only=not formulas)
    sheets = []
    for sheet in book.worksheets:
        rows = []
        for row in sheet.iter_rows():
            out = []
            for cell in row:
                value = cell.value
                if isinstance(value, (datetime.datetime, datetime.date)):
                    out.append(date_cell(value))
                elif isinstance(value, str) and cell.data_type == "f":
                    out.append({"formula": value})
                else:
                    out.append(value)
            rows.append(out)
        while rows and all(v is None for v in rows[-1]):
            rows.pop()
        sheets.append({"name": sheet.title, "rows": rows})
    return sheets


def main():
    path, kind = sys.argv[1], sys.argv[2]
    formulas = len(sys.argv) > 3 and sys.argv[3] == "formulas"
    sheets = read_xls(path) if kind == "xls" else read_xlsx(path, formulas)
    json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=True)


main()
