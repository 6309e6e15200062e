"""Walks a production index file the way a dBase IV reader does and checks
it against the table: every tag holds exactly the live records, in key
order (equal keys by record number), with the keys the records give, and
every branch key is the largest key below it.

usage: mdx_check.py TABLE.dbf TABLE.MDX
"""
import struct
import sys

PAGE = 512


def read_table(path):
    data = open(path, 'rb').read()
    count, header_len, record_len = struct.unpack_from('<IHH', data, 4)
    fields, offset, pos = {}, 1, 32
    while data[pos] != 0x0D:
        name = data[pos:pos + 11].split(b'\0')[0].decode('ascii')
        width = data[pos + 16]
        fields[name] = (offset, width, chr(data[pos + 11]))
        offset += width
        pos += 32
    records = [data[header_len + i * record_len:header_len + (i + 1) * record_len] for i in range(count)]
    return fields, records


def key_of(record, field):
    offset, width, kind = field
    raw = record[offset:offset + width]
    if kind == 'T':
        day, ms = struct.unpack('<ii', raw)
        return struct.pack('<d', day + ms / 86400000.0)
    return raw


def sort_key(kind, key):
    return struct.unpack('<d', key)[0] if kind == 'D' else key


def walk(mdx, page, entry_len, key_len, kind, out, depth=0):
    """Appends (record, key) of the leaves below `page`; returns the largest key."""
    if depth > 20:
        sys.exit('index tree too deep')
    node = page * PAGE
    n = struct.unpack_from('<I', mdx, node)[0]
    entries = [(struct.unpack_from('<I', mdx, node + 8 + i * entry_len)[0],
                mdx[node + 12 + i * entry_len:node + 12 + i * entry_len + key_len]) for i in range(n)]
    extra = struct.unpack_from('<I', mdx, node + 8 + n * entry_len)[0]
    if extra == 0:
        out.extend(entries)
        return entries[-1][1] if entries else None
    largest = None
    for child, key in entries:
        largest = walk(mdx, child, entry_len, key_len, kind, out, depth + 1)
        if largest != key:
            sys.exit(f'branch at page {page}: key {key!r} is not the largest below it ({largest!r})')
    return walk(mdx, extra, entry_len, key_len, kind, out, depth + 1)


def main(table_path, mdx_path):
    fields, records = read_table(table_path)
    mdx = open(mdx_path, 'rb').read()
    if mdx[0] != 2 or struct.unpack_from('<H', mdx, 22)[0] != 1024:
        sys.exit('not a dBase IV index file with 1024-byte blocks')
    tags = struct.unpack_from('<H', mdx, 28)[0]
    for t in range(tags):
        entry = 544 + 32 * t
        header_page = struct.unpack_from('<I', mdx, entry)[0]
        name = mdx[entry + 4:entry + 15].split(b'\0')[0].decode('ascii')
        h = header_page * PAGE
        root, = struct.unpack_from('<I', mdx, h)
        kind = chr(mdx[h + 9])
        key_len, per_node, _, entry_len = struct.unpack_from('<HHHH', mdx, h + 12)
        expression = mdx[h + 24:h + 244].split(b'\0')[0].decode('ascii')
        if expression != name or name not in fields or per_node != (1024 - 12) // entry_len:
            sys.exit(f'tag {name}: expression {expression}, {per_node} keys per node')
        leaves = []
        walk(mdx, root, entry_len, key_len, kind, leaves)
        want = sorted(((sort_key(kind, key_of(r, fields[name])), i + 1, key_of(r, fields[name]))
                       for i, r in enumerate(records) if r[0:1] == b' '))
        if [(rec, key) for _, rec, key in want] != leaves:
            sys.exit(f'tag {name}: leaves do not match the live records in key order')
        print(f'tag {name}: {len(leaves)} keys in order')


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2])
