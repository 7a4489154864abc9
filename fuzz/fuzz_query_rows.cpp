// A saved query's text as a script carries it, split into MSysQueries rows: a
// text is either refused (QueryDecomposeError, nothing else) or split; what
// the reader's builder makes of the rows splits again into rows that build the
// same text, so a query written and read back stays what it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "jet/format/QueryDecompose.h"
#include "jet/format/QuerySql.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    jet::format::DecomposedQuery q;
    try {
        q = jet::format::decomposeQuery(sql);
    } catch (const jet::format::QueryDecomposeError&) {
        return 0;
    }
    const std::string text = jet::format::buildQuerySql(q.rows).sql;
    try {
        if (jet::format::buildQuerySql(jet::format::decomposeQuery(text).rows).sql != text)
            std::abort();
    } catch (const jet::format::QueryDecomposeError&) {
        std::abort();
    }
    return 0;
}
