#include "DateMask.h"

#include "Variant.h"

double ParseDateTimeByMask(std::string_view, std::string_view, char, char)
{
    throw EVariantError("not implemented yet");
}
