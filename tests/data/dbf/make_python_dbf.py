# Writes the python-dbf fixtures of this folder (run by hand with Debian's python3-dbf,
# never by CI): /usr/bin/python3 make_python_dbf.py
import datetime
import dbf

common = 'name C(12); born D; score N(6,2); whole N(4,0); ok L; notes M'
rows = [
    ('Ann', datetime.date(1990, 1, 2), 12.5, 13, True, 'First memo'),
    ('Bob', None, None, None, False, ''),
    ('Cid', datetime.date(2001, 6, 1), -3.25, -7, False, 'Memo line\r\n' * 40),
    ('Dee', datetime.date(1999, 12, 31), 0, 0, True, 'deleted'),
    ('Eve', datetime.date(2024, 2, 29), 99.99, 1000, False, 'last'),
]

def write(name, kind, extra_spec, extras):
    table = dbf.Table(name, common + extra_spec, dbf_type=kind)
    table.open(dbf.READ_WRITE)
    for row, extra in zip(rows, extras):
        table.append(row + extra)
    dbf.delete(table[3])
    table.close()

write('pydbf_db3', 'db3', '', [()] * len(rows))
write('pydbf_fp', 'fp', '; ratio F(10,3)', [(1.5,), (None,), (-0.125,), (2.0,), (99999.5,)])
write('pydbf_vfp', 'vfp', '; ratio F(10,3); qty I; price Y; stamp T; dbl B; pic G',
      [(1.5, -42, 12.3456, datetime.datetime(2020, 5, 17, 13, 45, 30), 2.75, b'\x01\x02'),
       (None, 0, 0, None, 0.0, None),
       (-0.125, 2147483646, -1.5, datetime.datetime(1900, 1, 1, 0, 0, 0), -1e-3, None),
       (2.0, 7, 1, datetime.datetime(1999, 12, 31, 23, 59, 59), 1.0, None),
       (99999.5, -2147483646, 922337203685477.0, datetime.datetime(2024, 2, 29, 12, 0, 0), 1e300, b'\xff')])
