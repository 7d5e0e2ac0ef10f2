#pragma once

#include "engine/MemoryDataSet.h"
#include "engine/VxIBase.h"

#include <exception>
#include <sstream>

// A whole import of what a source reads from the stream, from its start, into a
// destination in memory keyed by ID: values converted, keys located, rows added or
// updated. Errors a run reports are the input's business, not the harness's.
inline void ImportIntoMemory(TVxImportBaseComponent &source, TMemoryDataSet &destination, std::istringstream &stream,
                             bool update, const TStringList &mappings = {})
{
    source.DataSet = &destination;
    source.Mode = update ? TImportMode::imAppendUpdate : TImportMode::imAppend;
    source.DatasetKeys = "ID";
    if (!mappings.Empty())
        source.Mappings = mappings;
    try {
        stream.clear();
        stream.seekg(0);
        source.ExecuteFromStream(stream);
    } catch (const std::exception &) {
    }
}
