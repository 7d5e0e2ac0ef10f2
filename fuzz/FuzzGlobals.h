#pragma once

#include "engine/RunGlobals.h"
#include "engine/VxIHost.h"

// What a run reads from the process, set anew for each input so that no input depends on
// the ones before it: the regional settings (two bits of the input choose them), the
// built-in functions and a host that keeps no log.
class TFuzzGlobals {
public:
    explicit TFuzzGlobals(unsigned choice, TVxIParserFunctions functions = DefaultParserFunctions())
        : globals_(Settings(choice), &host_, std::move(functions))
    {
    }

    static TFormatSettings Settings(unsigned choice)
    {
        TFormatSettings fs;
        switch (choice & 3) {
        case 1: // day first, decimal comma
            fs.ShortDateFormat = "dd.MM.yyyy";
            fs.DateSeparator = '.';
            fs.DecimalSeparator = ',';
            fs.ThousandSeparator = '.';
            break;
        case 2: // year first, a space between thousands, a 24-hour clock
            fs.ShortDateFormat = "yyyy-MM-dd";
            fs.DateSeparator = '-';
            fs.ThousandSeparator = ' ';
            fs.LongTimeFormat = "HH:nn:ss";
            fs.TwoDigitYearCenturyWindow = 0;
            break;
        case 3: // separators that collide, short years, empty day-half texts
            fs.ShortDateFormat = "d/M/yy";
            fs.DecimalSeparator = '/';
            fs.ThousandSeparator = '/';
            fs.TimeSeparator = '/';
            fs.TimeAMString.clear();
            fs.TimePMString.clear();
            fs.TwoDigitYearCenturyWindow = 99;
            break;
        default: break;
        }
        return fs;
    }

private:
    struct TSilentHost : TVxIRecordingHost {
        TSilentHost() { Recording = false; }
    };
    TSilentHost host_;
    TRunGlobals globals_;
};
