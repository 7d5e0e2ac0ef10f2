#include "engine/ImpCnst.h"

TImpTexts &ImpTexts()
{
    static TImpTexts texts;
    return texts;
}
