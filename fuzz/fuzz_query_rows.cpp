// A saved query's text as a script carries it, split into MSysQueries rows: a
// text is either refused (QueryDecomposeError, nothing else) or split; what
// the reader's builder makes of the rows splits again into rows that build the
// same text, so a query written and read back stays what it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "jet/mdb/QueryDecompose.h"
#include "jet/mdb/QuerySql.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    jet::mdb::DecomposedQuery q;
    try {
        q = jet::mdb::decomposeQuery(sql);
    } catch (const jet::mdb::QueryDecomposeError&) {
        return 0;
    }
    const std::string text = jet::mdb::buildQuerySql(q.rows).sql;
    try {
        if (jet::mdb::buildQuerySql(jet::mdb::decomposeQuery(text).rows).sql != text) std::abort();
    } catch (const jet::mdb::QueryDecomposeError&) {
        std::abort();
    }
    return 0;
}
