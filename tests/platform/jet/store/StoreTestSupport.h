#pragma once
// Helpers the store provider's tests share.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/testing/StoreBuilder.h"

namespace storetest {

// A statement as the script runner hands it over: the lines gathered between
// two "RUN" lines, joined by CR LF (so a blank line before and after).
inline std::string framed(std::string_view statement) {
    return "\r\n" + std::string(statement) + "\r\n\r\n";
}

// Everything a catalog shows of the user's schema, as text, to show that a
// failed statement changed nothing.
std::string dump(const jet::Catalog& cat);

// The start of an error's text, up to its first argument: what every
// description of that error begins with.
inline std::string textOf(jet::Err id) {
    const std::string text(jet::errorEntry(id).text);
    return text.substr(0, text.find('%'));
}

// The error a call throws; fails the test when it throws none.
template <class F>
jet::Error errorOf(F&& f) {
    try {
        f();
    } catch (const jet::Error& e) {
        return e;
    }
    ADD_FAILURE() << "no jet::Error was thrown";
    return jet::Error(0, "");
}

// A database built from Jet SQL, with a connection and a catalog on it.
struct Db {
    testsupport::TempDir dir;
    std::string path;
    std::string workgroup;
    jet::Connection conn;
    jet::Catalog cat;

    explicit Db(std::string_view jetSql = {}, bool withWorkgroup = false);
    int32_t exec(std::string_view sql) { return conn.Execute(sql); }
    std::vector<jet::testing::Row> rows(const std::string& sqliteQuery) const {
        return jet::testing::storeRows(path, sqliteQuery);
    }
};

}  // namespace storetest
