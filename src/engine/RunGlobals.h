#pragma once

#include "expr/VxIParsFunctions.h"
#include "values/RegionalSettings.h"

class TVxIHost;

// What an import reads from the process besides its own properties: the regional
// settings, the user-defined functions and the host that serves components without one.
// A run that must not depend on the runs before it (a fuzzer's input, a test) sets all
// three for its lifetime; the previous ones come back when it ends.
class TRunGlobals {
public:
    explicit TRunGlobals(const TFormatSettings &settings, TVxIHost *host = nullptr,
                         TVxIParserFunctions functions = DefaultParserFunctions());
    ~TRunGlobals();
    TRunGlobals(const TRunGlobals &) = delete;
    TRunGlobals &operator=(const TRunGlobals &) = delete;

private:
    TFormatSettings settings_;
    TVxIHost *host_;
    TVxIParserFunctions functions_;
};
