#include "sources/recordset/Recordset.h"

#include "values/StringList.h"

int TRecordset::FindField(const std::string &name) const
{
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (Text::SameText(fields_[i].Name, name))
            return static_cast<int>(i);
    return -1;
}
