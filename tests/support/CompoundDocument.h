#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Compound documents (the OLE2 container of Excel and Quattro Pro files) written by
// libgsf, so that the readers' tests can place any stream in one.
struct TCompoundStream {
    std::string Name;
    std::vector<std::uint8_t> Bytes;
};

// The streams at the root, in the given order.
void WriteCompoundDocument(const std::string &path, const std::vector<TCompoundStream> &streams);
