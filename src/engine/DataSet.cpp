#include "engine/DataSet.h"

std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    std::string out;
    out.reserve(pattern.size() + 32);
    auto arg = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd')) {
            if (arg != args.end())
                out += *arg++;
            ++i;
            continue;
        }
        out += pattern[i];
    }
    return out;
}

TField *TDataSet::FieldByName(std::string_view name) const
{
    if (TField *f = FindField(name))
        return f;
    throw EDatabaseError(FormatMessage(DataSetTexts::SFieldNotFound, {name}));
}

TDataSet::~TDataSet()
{
    for (TDataSetLink *link : links_)
        link->dataSet_ = nullptr;
}

void TDataSetLink::Reset(TDataSet *dataSet)
{
    if (dataSet_ == dataSet)
        return;
    if (dataSet_)
        std::erase(dataSet_->links_, this);
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->links_.push_back(this);
}
