#!/usr/bin/python3
"""Writes a table as a workbook, as spreadsheets save one, for the tests of
the data file reader: python3 write_workbook.py TABLE.json OUT.xlsx|OUT.ods

TABLE.json is {"sheets": [{"name": NAME, "rows": [[TEXT, ...], ...]}, ...]};
every cell is a string cell, an empty text an empty cell. The ODS file lays
out the repeats as LibreOffice does: equal cells and rows side by side as one
repeated element, and every row and the sheet padded to the spreadsheet's
full width and height with empty repeats.
"""

import itertools
import json
import sys

SHEET_COLUMNS = 1024
SHEET_ROWS = 1048576


def write_xlsx(sheets, path):
    import openpyxl

    workbook = openpyxl.Workbook()
    workbook.remove(workbook.active)
    for sheet in sheets:
        worksheet = workbook.create_sheet(sheet["name"])
        for r, row in enumerate(sheet["rows"], start=1):
            for c, text in enumerate(row, start=1):
                if text:
                    cell = worksheet.cell(row=r, column=c)
                    cell.value = text
                    # A text that starts with "=" is still a text.
                    cell.data_type = "s"
    workbook.save(path)


def write_ods(sheets, path):
    from odf import teletype
    from odf.opendocument import OpenDocumentSpreadsheet
    from odf.table import Table, TableCell, TableRow
    from odf.text import P

    document = OpenDocumentSpreadsheet()
    for sheet in sheets:
        table = Table(name=sheet["name"])
        rows = sheet["rows"]
        for row, group in itertools.groupby(rows, key=tuple):
            repeat = len(list(group))
            element = TableRow(numberrowsrepeated=repeat) if repeat > 1 else TableRow()
            for text, cells in itertools.groupby(row):
                count = len(list(cells))
                cell = TableCell(numbercolumnsrepeated=count) if count > 1 else TableCell()
                if text:
                    cell.setAttribute("valuetype", "string")
                    for line in text.split("\n"):
                        paragraph = P()
                        teletype.addTextToElement(paragraph, line)
                        cell.addElement(paragraph)
                element.addElement(cell)
            element.addElement(TableCell(numbercolumnsrepeated=SHEET_COLUMNS - len(row)))
            table.addElement(element)
        padding = TableRow(numberrowsrepeated=SHEET_ROWS - len(rows))
        padding.addElement(TableCell(numbercolumnsrepeated=SHEET_COLUMNS))
        table.addElement(padding)
        document.spreadsheet.addElement(table)
    document.save(path)


def main():
    with open(sys.argv[1], encoding="utf-8") as source:
        sheets = json.load(source)["sheets"]
    path = sys.argv[2]
    if path.endswith(".xlsx"):
        write_xlsx(sheets, path)
    else:
        write_ods(sheets, path)


main()
