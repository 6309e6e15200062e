"""Prints a table the way `zvonar-cli dump` does, read by python3-dbfread.

One line per live record, the cells separated by TAB, date-times as
yyyy.mm.dd hh:mm:ss (the time left out at midnight), TAB, CR, LF and
backslash escaped. The code page comes from the table's language byte.
"""
import sys

from dbfread import DBF

FIELDS = ['OWNER', 'DATETIME', 'NUMBER', 'ABONENT', 'CODE', 'TYPE',
          'SEC', 'MIN', 'COST', 'MTP', 'ALL', 'ROAMING']


def cell(value):
    if value is None:
        return ''
    if hasattr(value, 'hour'):
        text = f'{value.year:04d}.{value.month:02d}.{value.day:02d}'
        if (value.hour, value.minute, value.second) != (0, 0, 0):
            text += f' {value.hour:02d}:{value.minute:02d}:{value.second:02d}'
        return text
    return (value.replace('\\', '\\\\').replace('\t', '\\t')
            .replace('\r', '\\r').replace('\n', '\\n'))


def main(path):
    table = DBF(path, char_decode_errors='strict')
    if table.encoding != 'cp1251':
        sys.exit(f'{path}: code page {table.encoding}, expected cp1251')
    names = [f.name for f in table.fields]
    if names != FIELDS:
        sys.exit(f'{path}: fields {names}')
    rows = list(table)
    deleted = len(list(table.deleted))
    if table.header.numrecords != len(rows) + deleted:
        sys.exit(f'{path}: header counts {table.header.numrecords} records')
    out = sys.stdout.buffer
    for row in rows:
        out.write(('\t'.join(cell(row[name]) for name in FIELDS) + '\n').encode('utf-8'))


if __name__ == '__main__':
    main(sys.argv[1])
