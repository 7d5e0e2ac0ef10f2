#include "sources/cells/VxCellsTexts.h"

TSpreadSheetTexts &SpreadSheetTexts()
{
    static TSpreadSheetTexts texts;
    return texts;
}
