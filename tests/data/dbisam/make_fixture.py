#!/usr/bin/env python3
"""Writes small DBISAM tables and their BLOB files from the file layout; the files are
committed. Run it in this folder.

customers.dat / customers.blb: the current generation (512-byte header, 768-byte
descriptors, BLOB blocks placed by number times the block size).
legacy.dat / legacy.blb: an old generation (127-byte header, 768-byte descriptors, widths
taken from the types, BLOB blocks placed at their byte offset)."""
import datetime
import struct

MS_PER_DAY = 86400000


def day_count(year, month, day):
    return datetime.date(year, month, day).toordinal()  # 1 January of year 1 is day 1


def timestamp(year, month, day, hour, minute, second, ms):
    return float(day_count(year, month, day) * MS_PER_DAY + ((hour * 60 + minute) * 60 + second) * 1000 + ms)


def packed(digits, decimals, negative=False):
    """A packed decimal: the digit count, the sign bit with the decimals, two digits a byte."""
    nibbles = [int(d) for d in digits]
    if len(nibbles) % 2:
        nibbles.append(0)
    body = bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, len(nibbles), 2))
    return bytes([len(digits), (0x80 if negative else 0) | decimals]) + body.ljust(32, b"\0")


def present(value):
    return b"\x01" + value


def empty(width):
    return b"\x00" + bytes(width)


def record(status, values, length):
    data = bytes([status]) + b"".join(values)
    assert len(data) <= length
    return data.ljust(length, b"\0")


def text(value, width):
    return value.ljust(width, b"\0")


def descriptor(name, ftype, subtype, size, width, position):
    d = bytearray(768)
    d[2] = len(name)
    d[3:3 + len(name)] = name
    d[164], d[165] = ftype, subtype
    struct.pack_into("<H", d, 166, size)
    struct.pack_into("<H", d, 169, width)
    struct.pack_into("<H", d, 172, position)
    return bytes(d)


def old_descriptor(name, ftype, subtype, size, position):
    d = bytearray(768)
    d[2] = len(name)
    d[3:3 + len(name)] = name
    d[84], d[85], d[86] = ftype, subtype, size
    struct.pack_into("<H", d, 90, position)
    return bytes(d)


def layout(fields):
    """Positions of the fields' null bytes, and the record length, status byte included."""
    positions, at = [], 1
    for name, ftype, subtype, size, width in fields:
        positions.append(at)
        at += width + (0 if (ftype, subtype) == (6, 29) else 1)
    return positions, at


def block(next_block, data, total):
    header = bytearray(18)
    struct.pack_into("<i", header, 4, next_block)
    struct.pack_into("<H", header, 8, len(data))
    struct.pack_into("<I", header, 14, total)
    return bytes(header) + data


def write_customers():
    fields = [  # name, type, subtype, size, width
        (b"ID", 6, 29, 0, 4),  # an autoincrement: no null byte
        (b"NAME", 1, 0, 20, 21),
        (b"JOINED", 2, 0, 0, 4),
        (b"BALANCE", 8, 0, 10, 34),
        (b"BIG", 18, 0, 0, 8),
        (b"DELTA", 5, 0, 0, 2),
        (b"ACTIVE", 4, 0, 0, 1),
        (b"NOTES", 3, 22, 0, 8),
        (b"STAMP", 11, 0, 0, 8),
    ]
    positions, length = layout(fields)
    note = b"Prefers e-mail; call after six. " * 22  # 704 bytes over two blocks
    records = [
        record(0, [struct.pack("<i", 1), present(text(b"Ann Smith", 21)),
                   present(struct.pack("<i", day_count(2000, 1, 1))), present(packed("0000123450", 2)),
                   present(struct.pack("<q", 123456789012345678)), present(struct.pack("<h", -1)),
                   present(b"\x01"), present(struct.pack("<iI", 1, 0)),
                   present(struct.pack("<d", timestamp(2020, 1, 9, 13, 45, 30, 250)))], length),
        record(1, [struct.pack("<i", 2), present(text(b"Gone", 21)), empty(4), empty(34), empty(8),
                   empty(2), empty(1), present(struct.pack("<iI", 2, 0)), empty(8)], length),
        record(0, [struct.pack("<i", 3), present(text(b"  Bob Jones ", 21)), empty(4),
                   present(packed("0000000999", 2, negative=True)), present(struct.pack("<q", -5)),
                   present(struct.pack("<h", 300)), present(b"\x00"), empty(8), empty(8)], length),
    ]
    header = bytearray(512)
    header[8] = 6
    struct.pack_into("<IHH", header, 41, len(records), length, len(fields))
    struct.pack_into("<I", header, 51, 512)
    descriptors = b"".join(descriptor(n, t, s, z, w, p) for (n, t, s, z, w), p in zip(fields, positions))
    with open("customers.dat", "wb") as f:
        f.write(bytes(header) + descriptors + b"".join(records))

    # Block 1 starts the note and goes on in block 3; block 2 belongs to the deleted record.
    blob = bytearray(512)
    blob += block(3, note[:494], len(note)).ljust(512, b"\0")
    blob += block(0, b"gone", 4).ljust(512, b"\0")
    blob += block(0, note[494:], 0)
    with open("customers.blb", "wb") as f:
        f.write(bytes(blob))


def write_legacy():
    fields = [  # name, type, subtype, size; the width follows from the type
        (b"CODE", 1, 0, 8, 9),
        (b"QTY", 6, 0, 0, 4),
        (b"PRICE", 7, 0, 0, 8),
        (b"TAKEN", 10, 0, 0, 4),
        (b"MEMO", 3, 22, 0, 8),
    ]
    positions, length = layout(fields)
    records = [
        record(0, [present(text(b"A-100", 9)), present(struct.pack("<i", 12)), present(struct.pack("<d", 2.5)),
                   present(struct.pack("<i", 43200000)), present(struct.pack("<iI", 512, 0))], length),
        record(0, [present(text(b"B-200", 9)), present(struct.pack("<i", -3)), empty(8), empty(4), empty(8)],
               length),
    ]
    header = bytearray(127)
    struct.pack_into("<I", header, 4, 0)
    header[8] = 4
    struct.pack_into("<I", header, 13, len(records) + 1)
    struct.pack_into("<HH", header, 21, length, len(fields))
    descriptors = b"".join(old_descriptor(n, t, s, z, p) for (n, t, s, z, w), p in zip(fields, positions))
    with open("legacy.dat", "wb") as f:
        f.write(bytes(header) + descriptors + b"".join(records))
    memo = b"Keep dry."
    with open("legacy.blb", "wb") as f:
        f.write(bytes(512) + block(0, memo, len(memo)))


write_customers()
write_legacy()
