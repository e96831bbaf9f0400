#pragma once
// The streams of a transform that turns one set of tables into another: a table stream
// per changed table (named in the installer's compressed table form), _Tables and
// _Columns rows for added tables, the string pool and the summary information.
#include "bytes.h"
#include "summary_stream.h"
#include "table_model.h"
#include "table_stream.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace orvh::msp {

struct NamedStream {
    std::wstring name;  // as stored
    Bytes data;
};

struct TransformText {
    std::uint32_t codepage;  // of the string pool, the target database's
    TextEncoder encode;      // into that code page
};

// Throws std::invalid_argument when `after` lacks a table of `before` (dropping tables is
// not written) or a difference cannot be written. Tables named in `leftOut` are skipped.
std::vector<NamedStream> TransformStreams(const Tables& before, const Tables& after,
                                          const std::set<std::wstring>& leftOut, const TransformText& text,
                                          const std::vector<SummaryProperty>& summary);

} // namespace orvh::msp
