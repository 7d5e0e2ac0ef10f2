* Writes people.sav and people-compressed.sav with GNU PSPP (pspp people.sps).
DATA LIST LIST /ID (F4.0) NAME (A20) BORN (DATE11) SALARY (F10.2) SEEN (DATETIME20) SCORE (F5.1).
BEGIN DATA
1 "Ann Smith" 15-MAY-1977 1234.50 "01-JAN-2000 12:30:00" 3.5
2 "Zoë Müller" 29-FEB-1980 2000.00 "31-DEC-1999 23:59:59" .
3 "Bob" 31-DEC-1999 . "15-JUN-2021 08:00:00" 9
END DATA.
VARIABLE LABELS ID 'Person number' NAME 'Full name' BORN 'Date of birth'.
MISSING VALUES SCORE (9).
SAVE OUTFILE='people.sav' /UNCOMPRESSED.
SAVE OUTFILE='people-compressed.sav' /COMPRESSED.
