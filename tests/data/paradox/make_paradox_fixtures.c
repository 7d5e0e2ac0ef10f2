/* Writes the pxlib fixtures of tests/data/paradox (run by hand, never by CI):
 *   cc make_paradox_fixtures.c -lpx -o make_paradox_fixtures && ./make_paradox_fixtures OUTDIR */
#include <paradox.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static long day(int y, int m, int d) { return PX_GregorianToSdn(y, m, d) - 1721425; }

static void error_handler(pxdoc_t *p, int type, const char *msg, void *data) { fprintf(stderr, "pxlib: %s\n", msg); }

int main(int argc, char **argv)
{
    const char *dir = argc > 1 ? argv[1] : ".";
    char db[512], mb[512];
    snprintf(db, sizeof db, "%s/pxlib_types.db", dir);
    snprintf(mb, sizeof mb, "%s/pxlib_types.mb", dir);
    pxfield_t fields[] = {
        {"Name", pxfAlpha, 20, 0},    {"Born", pxfDate, 4, 0},      {"Qty", pxfShort, 2, 0},
        {"Big", pxfLong, 4, 0},       {"Price", pxfCurrency, 8, 0}, {"Ratio", pxfNumber, 8, 0},
        {"Ok", pxfLogical, 1, 0},     {"Notes", pxfMemoBLOb, 30, 0}, {"At", pxfTime, 4, 0},
        {"Stamp", pxfTimestamp, 8, 0}, {"Amount", pxfBCD, 17, 2},
    };
    const int nfields = sizeof fields / sizeof fields[0];
    PX_boot();
    pxdoc_t *px = PX_new2(error_handler, NULL, NULL, NULL);
    if (PX_create_file(px, fields, nfields, db, pxfFileTypNonIndexDB) < 0)
        return 1;
    PX_set_parameter(px, "tablename", "pxlib_types");
    PX_set_parameter(px, "targetencoding", "CP1252");
    PX_set_parameter(px, "inputencoding", "UTF-8");
    if (PX_set_blob_file(px, mb) < 0)
        return 2;
    int recsize = 0;
    for (int i = 0; i < nfields; ++i)
        recsize += fields[i].px_flen;
    char *rec = malloc(recsize);
    for (int r = 0; r < 250; ++r) {
        memset(rec, 0, recsize);
        char *p = rec;
        char name[32];
        snprintf(name, sizeof name, r == 0 ? "Ann" : r == 1 ? "Bob" : r == 2 ? "Z\xc3\xb6\xc3\xa9" : "Row %d", r);
        PX_put_data_alpha(px, p, 20, name); p += 20;
        if (r != 1) PX_put_data_long(px, p, 4, r == 0 ? day(1899, 12, 31) : day(1990, 1, 2) + r); p += 4;
        if (r != 1) PX_put_data_short(px, p, 2, r == 0 ? 5 : (short)(-r)); p += 2;
        if (r != 1) PX_put_data_long(px, p, 4, r == 0 ? -1 : 100000 * r); p += 4;
        if (r != 1) PX_put_data_double(px, p, 8, r == 0 ? 12.5 : -1.25 * r); p += 8;
        if (r != 1) PX_put_data_double(px, p, 8, r == 0 ? 0.0 : 3.5 * r); p += 8;
        if (r != 1) PX_put_data_byte(px, p, 1, r % 2 == 0 ? 1 : 0); p += 1;
        if (r == 0) PX_put_data_blob(px, p, 30, "short memo in the record", 24);
        if (r == 2) {
            const char *longMemo = "A memo that is longer than the twenty bytes its field keeps in the record.";
            PX_put_data_blob(px, p, 30, (char *)longMemo, (int)strlen(longMemo));
        }
        if (r == 3) {
            static char big[5000];
            for (int i = 0; i < (int)sizeof big - 1; ++i)
                big[i] = 'a' + i % 26;
            big[sizeof big - 1] = 0;
            PX_put_data_blob(px, p, 30, big, (int)strlen(big));
        }
        p += 30;
        if (r != 1) PX_put_data_long(px, p, 4, ((13 * 60 + 45) * 60 + 30) * 1000); p += 4;
        if (r != 1) PX_put_data_double(px, p, 8, ((double)day(2020, 5, 17) * 86400.0 + (13 * 60 + 45) * 60 + 30) * 1000.0); p += 8;
        if (r != 1) PX_put_data_bcd(px, p, 2, r == 0 ? "123.45" : "-7.5"); p += 17;
        PX_put_record(px, rec);
    }
    free(rec);
    PX_close(px);
    /* PX_delete would free the blob file a second time in this pxlib */
    PX_shutdown();
    return 0;
}
