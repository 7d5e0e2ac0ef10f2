# Writes lo_memo.dbf and lo_memo.dbt through LibreOffice's dBase driver (run by hand, never
# by CI). Start LibreOffice first:
#   soffice --headless --norestore '--accept=socket,host=127.0.0.1,port=2083;urp;' &
#   /usr/bin/python3 make_libreoffice_dbf.py OUTDIR      (then rename lomemo.* to lo_memo.*)
# Needs Debian's libreoffice-calc-nogui, libreoffice-base-drivers and python3-uno.
import sys
import uno
from com.sun.star.sdbc.DataType import BIT, DATE, DECIMAL, LONGVARCHAR, VARCHAR

out = sys.argv[1]
local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext('com.sun.star.bridge.UnoUrlResolver', local)
ctx = resolver.resolve('uno:socket,host=127.0.0.1,port=2083;urp;StarOffice.ComponentContext')
manager = ctx.ServiceManager.createInstanceWithContext('com.sun.star.sdbc.DriverManager', ctx)
url = 'sdbc:dbase:' + uno.systemPathToFileUrl(out)
conn = manager.getConnection(url)
tables = manager.getDriverByURL(url).getDataDefinitionByConnection(conn).getTables()

table = tables.createDataDescriptor()
table.Name = 'lomemo'
for name, kind, precision, scale in [('ID', DECIMAL, 6, 0), ('NAME', VARCHAR, 20, 0), ('BORN', DATE, 0, 0),
                                     ('PRICE', DECIMAL, 8, 2), ('OK', BIT, 1, 0), ('NOTES', LONGVARCHAR, 0, 0)]:
    column = table.Columns.createDataDescriptor()
    column.Name, column.Type, column.Precision, column.Scale = name, kind, precision, scale
    table.Columns.appendByDescriptor(column)
tables.appendByDescriptor(table)

long_memo = ''.join('Line %02d of a long memo. ' % i for i in range(30))
statement = conn.createStatement()
for sql in [
        "INSERT INTO lomemo (ID, NAME, BORN, PRICE, OK, NOTES) VALUES (1, 'Ann', '1990-01-02', 12.5, 1, 'First memo written by LibreOffice')",
        "INSERT INTO lomemo (ID, NAME, BORN, PRICE, OK, NOTES) VALUES (2, 'Bob', NULL, NULL, 0, NULL)",
        "INSERT INTO lomemo (ID, NAME, BORN, PRICE, OK, NOTES) VALUES (3, 'Cid', '2001-06-01', 3.25, NULL, 'short')",
        "UPDATE lomemo SET NOTES = '" + long_memo + "' WHERE ID = 3",
        "INSERT INTO lomemo (ID, NAME, BORN, PRICE, OK, NOTES) VALUES (4, 'Dee', '1899-12-31', 0, 1, 'to be deleted')",
        "INSERT INTO lomemo (ID, NAME, BORN, PRICE, OK, NOTES) VALUES (5, 'Eve', '2024-02-29', 99999.99, 0, 'Caf\u00e9 \u00fcber')",
        "DELETE FROM lomemo WHERE ID = 4"]:
    statement.executeUpdate(sql)
conn.close()
