#!/usr/bin/env python3
"""Writes customers.dat and customers.mem, a small Clarion data file and its memo file,
from the file layout: a prefix CUS, a long ID, a string NAME, a long DATE (Clarion day
number), a signed SHORT, a DECIMAL(7,2), a memo NOTES; three records, the second one
marked with the error bit (it is no row). Run it in this folder; the files are committed."""
import struct

fields = [  # type, name, width, digits, decimals
    (1, b"CUS:ID", 4, 0, 0),
    (3, b"CUS:NAME", 12, 0, 0),
    (1, b"CUS:DATE", 4, 0, 0),
    (6, b"CUS:DELTA", 2, 0, 0),
    (8, b"CUS:PRICE", 4, 5, 2),
]
data_length = sum(f[2] for f in fields)
record_length = 5 + data_length

descriptors = b""
offset = 0
for ftype, name, width, digits, decimals in fields:
    descriptors += struct.pack("<B16sHHBB4x", ftype, name.ljust(16), offset, width, digits, decimals)
    offset += width
keys = bytes([1]) + bytes(18) + bytes(6)  # one key of one component
first_record = 85 + len(descriptors) + len(keys)

records = [
    (0, 1, 1, b"Ann Smith", 72687, -1, bytes([0x00, 0x12, 0x34, 0x50])),   # 1234.50
    (0x10, 0, 2, b"Broken", 0, 0, bytes(4)),
    (0, 0, 3, b"Bob Jones", 80000, 300, bytes([0xF0, 0x00, 0x09, 0x99])),  # -9.99
]
header = struct.pack("<HHBI4xHHHHI", 0x3343, 0, 1, len(records), len(fields), 0, 0, record_length, first_record)
header += bytes(49 - len(header)) + b"NOTES".ljust(12) + b"CUS" + bytes(85 - 64)
assert len(header) == 85

body = b""
for status, memo, ident, name, date, delta, price in records:
    body += struct.pack("<BI", status, memo)
    body += struct.pack("<i12sih", ident, name.ljust(12), date, delta) + price
with open("customers.dat", "wb") as f:
    f.write(header + descriptors + keys + body)

# Memo block 1 (at 6) holds the start of Ann's note and chains to block 2.
note = b"Prefers e-mail. " * 20
memo = b"M3" + bytes(4)
memo += struct.pack("<I", 2) + note[:252]
memo += struct.pack("<I", 0) + note[252:].ljust(252, b"\0")
with open("customers.mem", "wb") as f:
    f.write(memo)
