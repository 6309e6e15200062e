#!/usr/bin/python3
"""Prints what a spreadsheet program reads in an .xlsx file, for the tests.

One block per sheet: its name, the frozen pane, the autofilter's range and
the column widths, then one line per filled cell:
    A2|n|0.00|bold|1.5
(coordinate, openpyxl's data type, number format, "bold" or "-", value; a
date-time as "yyyy-mm-dd hh:mm:ss", a formula as its text).
"""
import datetime
import sys

import openpyxl


def text(value):
    if isinstance(value, datetime.datetime):
        return value.strftime("%Y-%m-%d %H:%M:%S")
    return str(value)


def main(path):
    book = openpyxl.load_workbook(path)
    for sheet in book.worksheets:
        print(f"sheet {sheet.title}")
        print(f"freeze {sheet.freeze_panes}")
        print(f"filter {sheet.auto_filter.ref}")
        for letter, dim in sorted(sheet.column_dimensions.items()):
            if dim.width:
                print(f"width {letter} {dim.width:.0f}")
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None:
                    continue
                bold = "bold" if cell.font.b else "-"
                print(f"{cell.coordinate}|{cell.data_type}|{cell.number_format}|{bold}|{text(cell.value)}")


if __name__ == "__main__":
    main(sys.argv[1])
