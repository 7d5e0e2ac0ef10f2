#include "engine/RunGlobals.h"

#include "engine/VxIHost.h"

#include <utility>

TRunGlobals::TRunGlobals(const TFormatSettings &settings, TVxIHost *host, TVxIParserFunctions functions)
    : settings_(RegionalSettings::current()),
      host_(SetDefaultHost(host)),
      functions_(std::exchange(ParserFunctions(), std::move(functions)))
{
    RegionalSettings::override(settings);
}

TRunGlobals::~TRunGlobals()
{
    ParserFunctions() = std::move(functions_);
    SetDefaultHost(host_);
    RegionalSettings::override(settings_);
}
