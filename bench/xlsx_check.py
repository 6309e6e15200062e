#!/usr/bin/python3
"""Reads a spreadsheet of export_bench back with openpyxl and checks it.

Every listed row must have its date-time as a date, Sec as a whole number
and Min, Cost and All as numbers; the statistic's total row must be SUM
formulas over the rows above it; the criteria sheet must end with the date
of the export. Prints "xlsx_readback_rows N rows" and exits 1 on the first
fault found.
"""
import datetime
import sys

import openpyxl


def fail(message):
    print(f"xlsx_check: {message}", file=sys.stderr)
    sys.exit(1)


def main(path, want):
    book = openpyxl.load_workbook(path, read_only=True)
    calls, stat, criteria = book.worksheets
    rows = 0
    for number, row in enumerate(calls.iter_rows(min_row=2, values_only=True), start=2):
        rows += 1
        if not isinstance(row[1], datetime.datetime):
            fail(f"B{number} is not a date-time: {row[1]!r}")
        if not isinstance(row[6], int):
            fail(f"G{number} is not a whole number: {row[6]!r}")
        for col in (7, 8, 10):
            if not isinstance(row[col], (int, float)):
                fail(f"{'ABCDEFGHIJKL'[col]}{number} is not a number: {row[col]!r}")
    if rows != want:
        fail(f"{rows} rows read, {want} written")
    last = list(stat.iter_rows(values_only=True))[-1]
    count = stat.max_row
    for letter, cell in zip("BCD", last[1:]):
        if cell != f"=SUM({letter}2:{letter}{count - 1})":
            fail(f"the total's {letter} is {cell!r}")
    stamp = list(criteria.iter_rows(values_only=True))[-1][1]
    if not isinstance(stamp, datetime.datetime):
        fail(f"the export's date is {stamp!r}")
    print(f"xlsx_readback_rows {rows} rows")


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]))
