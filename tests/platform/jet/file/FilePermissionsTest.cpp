// Permission lines (SetPermissions, GRANT and REVOKE) written into an encoded
// Access database with its workgroup, as the runner opens them: each line's
// entry of MSysACEs read back through a fresh session, through mdb-export, and
// against the entries before; refusals that leave the file byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "MdbTools.h"
#include "TestSupport.h"
#include "jet/Catalog.h"
#include "jet/Connection.h"
#include "jet/Error.h"
#include "jet/Types.h"
#include "jet/file/FileCatalog.h"
#include "jet/file/PageFile.h"
#include "jet/format/JetHeader.h"
#include "jet/mdb/JetRights.h"
#include "jet/testing/StoreBuilder.h"

namespace {

namespace fs = std::filesystem;
using jet::PrincipalKind;

// A database and the workgroup it is opened with.
struct Pair {
    const char* database;
    const char* workgroup;
};

const Pair kKontener{"secured/kontener.mdb", "secured/kontener-security.mdw"};
// Access 97: a database holding the default workgroup's entries (admin,
// Users, Creator and that workgroup's Admins; its SIDs as they are), opened
// with an encoded workgroup of many accounts. admin, Users and the fixed
// SIDs are the same in both; the workgroup's own accounts have no entry.
const Pair kAccess97{"jackcess/testV1997.mdb", "secured/many-accounts97.mdw"};

// Copies of the database and its workgroup.
struct Secured {
    testsupport::TempDir dir;
    std::string db;
    std::string workgroup;

    explicit Secured(const Pair& pair = kKontener) {
        db = dir.file(fs::path(pair.database).filename().string());
        workgroup = dir.file(fs::path(pair.workgroup).filename().string());
        fs::copy_file(testsupport::fixture(pair.database), db);
        fs::copy_file(testsupport::fixture(pair.workgroup), workgroup);
        for (const auto& f : {db, workgroup})
            fs::permissions(f, fs::perms::owner_write, fs::perm_options::add);
    }

    [[nodiscard]] std::string connection() const {
        return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + db +
               ";Jet OLEDB:System database=" + workgroup;
    }

    [[nodiscard]] size_t files() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
    }
};

struct Line {
    PrincipalKind kind = PrincipalKind::User;
    std::string principal;
    std::string object;
    int32_t type = jet::objtype::Table;
    int32_t action = jet::access::Set;
    int32_t rights = 0;
};

void apply(const jet::Catalog& cat, const Line& l) {
    if (l.kind == PrincipalKind::User)
        cat.Users().Item(l.principal).SetPermissions(l.object, l.type, l.action, l.rights);
    else
        cat.Groups().Item(l.principal).SetPermissions(l.object, l.type, l.action, l.rights);
}

int32_t rightsOf(const jet::Catalog& cat, const Line& l) {
    return l.kind == PrincipalKind::User
               ? cat.Users().Item(l.principal).GetPermissions(l.object, l.type)
               : cat.Groups().Item(l.principal).GetPermissions(l.object, l.type);
}

// A session as the runner holds one: statements, then the lines; each
// failure's description kept; the session ended.
struct Session {
    std::vector<std::string> failures;
    std::string closeError;
    std::string report;
    std::vector<int32_t> rightsBeforeClose;  // per line, read in the session
};

Session run(const Secured& s, const std::vector<std::string>& statements,
            const std::vector<Line>& lines) {
    Session out;
    jet::Connection c;
    c.Mode(jet::ConnectMode::ReadWrite);
    c.Open(s.connection(), {}, {}, -1);
    {
        jet::Catalog cat;
        cat.ActiveConnection(c);
        for (const auto& st : statements) {
            try {
                c.Execute(st);
            } catch (const jet::Error& e) {
                out.failures.push_back(st + " -> " + e.description());
            }
        }
        for (const auto& l : lines) {
            try {
                apply(cat, l);
            } catch (const jet::Error& e) {
                out.failures.push_back(l.principal + " on " + l.object + " -> " + e.description());
            }
            try {
                out.rightsBeforeClose.push_back(rightsOf(cat, l));
            } catch (const jet::Error&) {
                out.rightsBeforeClose.push_back(-1);
            }
        }
    }
    try {
        c.Close();
        out.report = c.CloseReport();
    } catch (const jet::Error& e) {
        out.closeError = e.description();
    }
    return out;
}

int32_t readBack(const Secured& s, const Line& l) {
    jet::Catalog cat;
    cat.ActiveConnection(s.connection());
    return rightsOf(cat, l);
}

// The SID an account of the workgroup has, read through the page codec, and
// as the database stores it (masked with the database's key in Jet 4; Jet 3
// has no key and stores it as it is).
std::string storedSid(const Secured& s, const std::string& account) {
    const jet::file::PageFile wg(s.workgroup);
    const jet::file::FileCatalog catalog(wg);
    const jet::file::StoredTable accounts(wg, "MSysAccounts", catalog.tablePage("MSysAccounts"));
    const size_t name = accounts.column("Name"), sid = accounts.column("SID");
    for (const auto& r : accounts.rows)
        if (jet::file::asText(r.values[name]) == account) {
            const auto header = jet::format::readHeader(s.db);
            const std::string_view raw = jet::file::asBinary(r.values[sid]);
            return header->sidKey ? jet::format::unmaskSid(raw, *header->sidKey)
                                  : std::string(raw);
        }
    throw std::runtime_error("no account " + account);
}

std::string hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string h;
    for (unsigned char b : bytes) {
        h += kDigits[b >> 4];
        h += kDigits[b & 15];
    }
    return h;
}

// MSysObjects' id of an object (the database: MSysDb), by mdb-export.
int64_t objectId(const std::string& db, const Line& l) {
    const std::string name = l.type == jet::objtype::Database ? "MSysDb" : l.object;
    const auto rows = mdbtest::exportTable(db, "MSysObjects");
    for (size_t i = 1; i < rows.size(); ++i)
        if (rows[i][2] == name) return std::stoll(rows[i][0]);
    throw std::runtime_error("no object " + name);
}

struct AceRow {
    int64_t objectId;
    std::string sid;  // hex, cut at the first zero byte as mdb-export cuts it
    int64_t acm;
    bool inheritable;
    auto operator<=>(const AceRow&) const = default;
};

std::vector<AceRow> aces(const std::string& db) {
    const auto rows = mdbtest::exportTable(db, "MSysACEs", true);
    std::vector<AceRow> out;
    for (size_t i = 1; i < rows.size(); ++i)
        out.push_back({std::stoll(rows[i][0]), rows[i][1], std::stoll(rows[i][2]),
                       rows[i][3] == "1"});
    std::sort(out.begin(), out.end());
    return out;
}

// True when mdb-export's SID is the stored SID (as far as mdb-export shows it).
bool sameSid(const std::string& exported, const std::string& stored) {
    const std::string full = hex(stored);
    if (exported == full) return true;
    return full.starts_with(exported) && full.substr(exported.size(), 2) == "00";
}

// ---- every kind of line ------------------------------------------------------

struct PermissionCase {
    const char* name;
    std::vector<std::string> statements;  // run first, in the same session
    Line line;
    int32_t expected;  // the rights read back
    // The line's entry in MSysACEs: its ACM, or none when the account has no
    // entry on the object.
    std::optional<int64_t> acm;
    bool newEntry;  // the file had no entry of the account on the object
    const Pair* pair = &kKontener;
};

void PrintTo(const PermissionCase& c, std::ostream* os) { *os << c.name; }

constexpr int32_t kTableFull = jet::mdb::adoxRights(jet::mdb::kJetFullAccess, jet::objtype::Table);
constexpr int32_t kDatabaseFull =
    jet::mdb::adoxRights(jet::mdb::kJetFullAccess, jet::objtype::Database);

using namespace jet::right;
using jet::access::Grant;
using jet::access::Revoke;
using jet::access::Set;
constexpr int32_t kTable = jet::objtype::Table;
constexpr int32_t kDb = jet::objtype::Database;
constexpr auto kUser = PrincipalKind::User;
constexpr auto kGroup = PrincipalKind::Group;

// Before: Admins hold 0xFFFFF on every user table and on MSysDb, Users 0x1 on
// the user tables and 0 on MSysDb, admin 0 on both; Izzatbek and Hunter
// hold no entry anywhere. Tables' bits no right names: 0x0FF03.
const PermissionCase kCases[] = {
    {"TableSetANewEntry", {}, {kUser, "Izzatbek", "Kontener", kTable, Set, Read | Insert},
     Read | Insert, 0x30, true},
    {"TableSetChangesAnEntryKeepingBitsNoRightNames", {},
     {kGroup, "Users", "60", kTable, Set, Read | Update}, Read | Update, 0x51, false},
    {"TableSetNarrowsFullAccess", {}, {kGroup, "Admins", "Hisobot", kTable, Set, ReadDesign},
     ReadDesign, 0x0FF07, false},
    {"TableGrantAddsToAnEntry", {}, {kUser, "admin", "Foydalanuvchi", kTable, Grant, Delete},
     Delete, 0x80, false},
    {"TableGrantFullIsEveryBit", {}, {kUser, "Hunter", "Kontener", kTable, Grant, Full},
     kTableFull, 0xFFFFF, true},
    {"TableRevokeTakesRightsAway", {},
     {kGroup, "Admins", "Kontener", kTable, Revoke, Delete | WriteOwner},
     kTableFull & ~(Delete | WriteOwner | Full), 0xFFFFF & ~0x80080, false},
    {"TableRightsToNoneKeepTheEntryAndItsOtherBits", {},
     {kGroup, "Admins", "60", kTable, Set, None}, None, 0x0FF03, false},
    // Users hold 0x14 on MSysObjects: no bit besides the rights' is left.
    {"SystemTableRightsToNoneLeaveACMZero", {}, {kGroup, "Users", "MSysObjects", kTable, Set, None},
     None, 0, false},
    {"DatabaseSetANewEntry", {}, {kUser, "Izzatbek", "", kDb, Set, Read | Exclusive},
     Read | Exclusive, 0x6, true},
    {"DatabaseSetChangesAnEntry", {}, {kGroup, "Users", "", kDb, Set, Read}, Read, 0x2, false},
    {"DatabaseSetNarrowsFullAccess", {}, {kGroup, "Admins", "", kDb, Set, Read | WriteDesign},
     Read | WriteDesign, 0x0FFFA, false},
    {"DatabaseGrantAddsToAnEntry", {}, {kUser, "admin", "", kDb, Grant, Create | Drop},
     Create | Drop, 0x10001, false},
    {"ANewTableTakesTheLineOverItsInheritedEntries",
     {"CREATE TABLE [Yangi] ([Id] LONG)"},
     {kGroup, "Users", "Yangi", kTable, Set, Read | Update}, Read | Update, 0x50, true},
    {"ANewTableTakesANewEntry",
     {"CREATE TABLE [Yangi] ([Id] LONG)"},
     {kUser, "Izzatbek", "Yangi", kTable, Grant, Read}, Read, 0x10, true},
    {"AView",
     {"CREATE VIEW [Korinish] AS SELECT [Id], [Zona] FROM [Kontener]"},
     {kGroup, "Users", "Korinish", jet::objtype::View, Set, Read | ReadDesign}, Read | ReadDesign,
     0x14, true},
    {"AProcedure",
     {"CREATE PROCEDURE [Ochirish] AS DELETE FROM [Hisobot] WHERE [id] = 0"},
     {kUser, "Hunter", "Ochirish", jet::objtype::Procedure, Grant, Read | Update},
     Read | Update, 0x50, true},
    // Access 97. Before: Users hold 0x14 on MSysObjects and 0xE on MSysDb,
    // admin 0x6000E on MSysDb; the user tables and the workgroup's own
    // accounts hold no entry.
    {"Access97TableSetANewEntry", {}, {kUser, "ccruz", "Table1", kTable, Set, Read | Insert},
     Read | Insert, 0x30, true, &kAccess97},
    {"Access97TableGrantToAGroupOfTheWorkgroup", {},
     {kGroup, "VENTAS", "Table2", kTable, Grant, Read | Delete}, Read | Delete, 0x90, true,
     &kAccess97},
    {"Access97SystemTableRightsToNoneLeaveACMZero", {},
     {kGroup, "Users", "MSysObjects", kTable, Set, None}, None, 0, false, &kAccess97},
    {"Access97DatabaseSetANewEntry", {}, {kUser, "Miguel", "", kDb, Set, Read | Exclusive},
     Read | Exclusive, 0x6, true, &kAccess97},
    {"Access97DatabaseGrantAddsToAnEntry", {}, {kUser, "admin", "", kDb, Grant, Create | Drop},
     Read | Exclusive | WriteDesign | ReadPermissions | WritePermissions | Create | Drop, 0x7000F,
     false, &kAccess97},
    {"Access97ANewTableTakesANewEntry",
     {"CREATE TABLE [Yangi] ([Id] LONG)"},
     {kUser, "ccruz", "Yangi", kTable, Grant, Read}, Read, 0x10, true, &kAccess97},
    {"Access97AGroupMadeInTheSameRun",
     {"CREATE GROUP [Hisob]"},
     {kGroup, "Hisob", "Table3", kTable, Set, Read | Update}, Read | Update, 0x50, true,
     &kAccess97},
};

class PermissionLine : public ::testing::TestWithParam<PermissionCase> {};

TEST_P(PermissionLine, ReadsBackAsAskedThroughEveryReader) {
    REQUIRE_FIXTURES();
    REQUIRE_MDBTOOLS();
    const PermissionCase& c = GetParam();
    Secured s(*c.pair);
    const auto before = aces(s.db);
    const Session done = run(s, c.statements, {c.line});
    ASSERT_EQ(done.failures, std::vector<std::string>{});
    ASSERT_EQ(done.closeError, "");
    EXPECT_NE(done.report.find("The database was changed"), std::string::npos) << done.report;
    // The session reads what it will write, and a fresh one reads it back.
    EXPECT_EQ(done.rightsBeforeClose, std::vector<int32_t>{c.expected});
    EXPECT_EQ(readBack(s, c.line), c.expected);

    // mdb-export: the account's entry on the object, and no other entry
    // changed but those of the objects the statements made.
    const int64_t id = objectId(s.db, c.line);
    const std::string sid = storedSid(s, c.line.principal);
    const auto after = aces(s.db);
    std::vector<AceRow> own;
    for (const auto& a : after)
        if (a.objectId == id && sameSid(a.sid, sid)) own.push_back(a);
    ASSERT_EQ(own.size(), c.acm ? 1u : 0u);
    if (c.acm) {
        EXPECT_EQ(own[0].acm, *c.acm);
        EXPECT_FALSE(own[0].inheritable);
    }
    const auto isOwn = [&](const AceRow& a) {
        return a.objectId == id && (!c.statements.empty() || sameSid(a.sid, sid));
    };
    std::vector<AceRow> othersBefore, othersAfter;
    std::copy_if(before.begin(), before.end(), std::back_inserter(othersBefore),
                 [&](const AceRow& a) { return !isOwn(a); });
    std::copy_if(after.begin(), after.end(), std::back_inserter(othersAfter),
                 [&](const AceRow& a) { return !isOwn(a); });
    EXPECT_EQ(othersAfter, othersBefore);
    if (!c.newEntry) {
        // The entry changed in place: one row before, one after.
        size_t had = 0;
        for (const auto& a : before)
            if (a.objectId == id && sameSid(a.sid, sid)) ++had;
        EXPECT_EQ(had, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, PermissionLine, ::testing::ValuesIn(kCases),
                         [](const auto& tc) { return std::string(tc.param.name); });

// A new table's other entries are the Tables container's inheritable ones:
// Admins keep full access beside the line's entry.
TEST(PermissionLines, ANewTableKeepsItsInheritedEntriesBesideTheLines) {
    REQUIRE_FIXTURES();
    Secured s;
    const Line users{kGroup, "Users", "Yangi", kTable, Set, Read};
    const Session done = run(s, {"CREATE TABLE [Yangi] ([Id] LONG)"}, {users});
    ASSERT_EQ(done.failures, std::vector<std::string>{});
    ASSERT_EQ(done.closeError, "");
    EXPECT_EQ(readBack(s, users), Read);
    EXPECT_EQ(readBack(s, {kGroup, "Admins", "Yangi", kTable}), kTableFull);
    EXPECT_EQ(readBack(s, {kUser, "admin", "Yangi", kTable}), None);
}

// Lines in one session build on each other; a line that ends where the file
// began, or that asks for what is held, writes nothing.
TEST(PermissionLines, LinesThatEndAsTheFileBeganLeaveItByteForByte) {
    REQUIRE_FIXTURES();
    Secured s;
    const std::string bytes = testsupport::readFile(s.db);
    const Session done =
        run(s, {},
            {{kUser, "Izzatbek", "Kontener", kTable, Set, Read | Insert},
             {kUser, "Izzatbek", "Kontener", kTable, Set, None},
             {kGroup, "Admins", "", kDb, Grant, Exclusive | Read},
             {kGroup, "Users", "60", kTable, Set, None},
             {kUser, "Hunter", "Hisobot", kTable, Revoke, Read}});
    ASSERT_EQ(done.failures, std::vector<std::string>{});
    EXPECT_EQ(done.closeError, "");
    EXPECT_EQ(done.rightsBeforeClose,
              (std::vector<int32_t>{Read | Insert, None, kDatabaseFull, None, None}));
    EXPECT_EQ(done.report, "");
    EXPECT_TRUE(testsupport::readFile(s.db) == bytes);
    EXPECT_EQ(s.files(), 2u) << "no backup, no new file";
}

// A saved query of the file (made by an earlier session) has entries of its
// own, which a line changes in place.
TEST(PermissionLines, AQueryOfTheFileHasItsEntryChanged) {
    REQUIRE_FIXTURES();
    Secured s;
    const Session made =
        run(s, {"CREATE VIEW [Korinish] AS SELECT [Id] FROM [Kontener]"}, {});
    ASSERT_EQ(made.closeError, "");
    const Line admins{kGroup, "Admins", "Korinish", jet::objtype::View, Set, Read};
    EXPECT_EQ(readBack(s, admins), kTableFull);
    const Session changed = run(s, {}, {admins});
    ASSERT_EQ(changed.failures, std::vector<std::string>{});
    ASSERT_EQ(changed.closeError, "");
    EXPECT_EQ(readBack(s, admins), Read);
}

// Lines on a table that a later statement drops go with it; the table made
// again starts from the inherited entries.
TEST(PermissionLines, ATableDroppedAndMadeAgainStartsAfresh) {
    REQUIRE_FIXTURES();
    Secured s;
    jet::Connection c;
    c.Mode(jet::ConnectMode::ReadWrite);
    c.Open(s.connection(), {}, {}, -1);
    {
        jet::Catalog cat;
        cat.ActiveConnection(c);
        const Line izzatbek{kUser, "Izzatbek", "Hisobot", kTable, Set, Read | Delete};
        apply(cat, izzatbek);
        EXPECT_EQ(rightsOf(cat, izzatbek), Read | Delete);
        c.Execute("DROP TABLE [Hisobot]");
        try {
            (void)rightsOf(cat, izzatbek);
            ADD_FAILURE() << "a dropped table has rights";
        } catch (const jet::Error& e) {
            EXPECT_EQ(e.description(),
                      jet::makeError(jet::Err::PermissionObjectNotFound, {"Hisobot", "1"})
                          .description());
        }
        c.Execute("CREATE TABLE [Hisobot] ([id] LONG)");
        EXPECT_EQ(rightsOf(cat, izzatbek), None);
    }
    c.Close();
    EXPECT_EQ(readBack(s, {kUser, "Izzatbek", "Hisobot", kTable}), None);
    EXPECT_EQ(readBack(s, {kGroup, "Admins", "Hisobot", kTable}), kTableFull);
}

// ---- GRANT and REVOKE ----------------------------------------------------------

TEST(PermissionStatements, GrantAndRevokeTakeTheLinesPath) {
    REQUIRE_FIXTURES();
    Secured s;
    const Session done = run(s,
                             {"GRANT SELECT, INSERT ON TABLE [Kontener] TO [Izzatbek], [Users]",
                              "REVOKE INSERT ON TABLE [Kontener] FROM [Users]",
                              "GRANT CONNECT ON DATABASE TO [Hunter]"},
                             {});
    ASSERT_EQ(done.failures, std::vector<std::string>{});
    ASSERT_EQ(done.closeError, "");
    EXPECT_EQ(readBack(s, {kUser, "Izzatbek", "Kontener", kTable}), Read | Insert);
    EXPECT_EQ(readBack(s, {kGroup, "Users", "Kontener", kTable}), Read);
    EXPECT_EQ(readBack(s, {kUser, "Hunter", "", kDb}), Read);
}

// ---- refusals ------------------------------------------------------------------

struct RefusalCase {
    const char* name;
    std::string statement;  // run as a statement when set
    Line line;              // else the line
    jet::Error error;
    const Pair* pair = &kKontener;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class PermissionRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PermissionRefusal, FailsWithTheStoresErrorAndLeavesTheFileByteForByte) {
    REQUIRE_FIXTURES();
    const RefusalCase& c = GetParam();
    Secured s(*c.pair);
    const std::string bytes = testsupport::readFile(s.db);
    const std::string workgroupBytes = testsupport::readFile(s.workgroup);
    jet::Connection conn;
    conn.Mode(jet::ConnectMode::ReadWrite);
    conn.Open(s.connection(), {}, {}, -1);
    try {
        if (!c.statement.empty()) {
            conn.Execute(c.statement);
        } else {
            jet::Catalog cat;
            cat.ActiveConnection(conn);
            apply(cat, c.line);
        }
        ADD_FAILURE() << "the line succeeded";
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.number(), c.error.number());
        EXPECT_EQ(e.description(), c.error.description());
        EXPECT_FALSE(e.refusesDatabase());
    }
    conn.Close();
    EXPECT_EQ(conn.CloseReport(), "");
    EXPECT_TRUE(testsupport::readFile(s.db) == bytes);
    EXPECT_TRUE(testsupport::readFile(s.workgroup) == workgroupBytes);
    EXPECT_EQ(s.files(), 2u);
}

const RefusalCase kRefusals[] = {
    {"AnUnknownAccount", "GRANT SELECT ON TABLE [Kontener] TO [Izzatbek], [Nobody]", {},
     jet::makeError(jet::Err::AccountNotFound, {"Nobody"})},
    {"AnUnknownTable", "", {kUser, "Izzatbek", "Yoq", kTable, Set, Read},
     jet::makeError(jet::Err::PermissionObjectNotFound, {"Yoq", "1"})},
    {"AnUnknownQuery", "", {kGroup, "Users", "Yoq", jet::objtype::View, Set, Read},
     jet::makeError(jet::Err::PermissionObjectNotFound, {"Yoq", "5"})},
    {"ATableNamedAsAProcedure", "",
     {kGroup, "Users", "Kontener", jet::objtype::Procedure, Set, Read},
     jet::makeError(jet::Err::PermissionObjectNotFound, {"Kontener", "4"})},
    {"AnUnknownObjectOfGrant", "GRANT SELECT ON TABLE [Yoq] TO [Izzatbek]", {},
     jet::makeError(jet::Err::PermissionObjectNotFound, {"Yoq", "1"})},
    {"AColumn", "", {kUser, "Izzatbek", "Kontener.Zona", jet::objtype::Column, Set, Read},
     jet::makeError(jet::Err::NotSupported)},
    {"AnUnknownAction", "", {kUser, "Izzatbek", "Kontener", kTable, 7, Read},
     jet::makeError(jet::Err::InvalidArgument)},
    {"ARightNoBitOfATableHolds", "", {kUser, "Izzatbek", "Kontener", kTable, Set, Read | Execute},
     jet::makeError(jet::Err::NotWrittenYet,
                    {"The right Execute on a table (no bit of Jet's access mask stands for it)"})},
    // An account of another workgroup is no account of this one.
    {"Access97AnAccountOfAnotherWorkgroup", "GRANT SELECT ON TABLE [Table1] TO [ccruz], [Izzatbek]",
     {}, jet::makeError(jet::Err::AccountNotFound, {"Izzatbek"}), &kAccess97},
    {"Access97AnUnknownTable", "", {kGroup, "VENTAS", "Kontener", kTable, Set, Read},
     jet::makeError(jet::Err::PermissionObjectNotFound, {"Kontener", "1"}), &kAccess97},
};

INSTANTIATE_TEST_SUITE_P(Lines, PermissionRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& tc) { return std::string(tc.param.name); });

// Without a workgroup there are no accounts to give rights to.
TEST(PermissionRefusals, WithoutAWorkgroupALineFailsAndChangesNothing) {
    REQUIRE_FIXTURES();
    Secured s;
    const std::string bytes = testsupport::readFile(s.db);
    jet::Connection conn;
    conn.Mode(jet::ConnectMode::ReadWrite);
    conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + s.db, {}, {}, -1);
    try {
        conn.Execute("GRANT SELECT ON TABLE [Kontener] TO [Izzatbek]");
        ADD_FAILURE() << "the statement succeeded";
    } catch (const jet::Error& e) {
        EXPECT_EQ(e.description(), jet::makeError(jet::Err::NoWorkgroup).description());
    }
    conn.Close();
    EXPECT_TRUE(testsupport::readFile(s.db) == bytes);
}

// A store workgroup's SIDs are its own, which Access would know nothing of.
TEST(PermissionRefusals, TheAccountsOfAStoreWorkgroupAreRefused) {
    REQUIRE_FIXTURES();
    Secured s;
    const std::string store = s.dir.file("store.sdw");
    jet::testing::buildWorkgroup(store);
    const std::string bytes = testsupport::readFile(s.db);
    jet::Connection conn;
    conn.Mode(jet::ConnectMode::ReadWrite);
    conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + s.db +
                  ";Jet OLEDB:System database=" + store,
              {}, {}, -1);
    {
        jet::Catalog cat;
        cat.ActiveConnection(conn);
        try {
            apply(cat, {kGroup, "Users", "Kontener", kTable, Set, Read});
            ADD_FAILURE() << "the line succeeded";
        } catch (const jet::Error& e) {
            EXPECT_EQ(e.description(),
                      jet::makeError(jet::Err::NotWrittenYet,
                                     {"Permissions of the accounts of a workgroup that is not an "
                                      "Access workgroup file"})
                          .description());
        }
    }
    conn.Close();
    EXPECT_TRUE(testsupport::readFile(s.db) == bytes);
}

}  // namespace
