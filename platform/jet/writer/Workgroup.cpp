#include "jet/writer/Workgroup.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "jet/Error.h"
#include "jet/file/Checker.h"
#include "jet/file/IndexBuilder.h"
#include "jet/file/IndexKey.h"
#include "jet/file/IndexPage.h"
#include "jet/file/LongValue.h"
#include "jet/file/PageEditor.h"
#include "jet/file/ReplaceError.h"
#include "jet/file/Row.h"
#include "jet/file/UniqueFd.h"
#include "jet/format/JetHeader.h"
#include "jet/mdb/ReaderProcess.h"
#include "text/CaseFold.h"

namespace jet::file {

namespace {

// Jet's fixed SIDs (admin, the Users, Guests, Engine and Creator groups,
// guest), which a new account never takes.
const std::set<std::string> kFixedSids = {"\x03\x01", "\x02\x01", "\x02\x02",
                                          "\x02\x03", "\x02\x04", "\x02\x05"};
const std::string kUsersSid = "\x02\x01";

// A Jet 4 password field is five 8-byte blocks (Jet 3's two).
constexpr size_t kPasswordBlock = 8;
constexpr size_t kJet4PasswordLength = 5 * kPasswordBlock;

// The personal ID length (the SID's second byte) of the accounts of the
// Access-made Jet 4 workgroup measured, all made through Access.
constexpr uint8_t kGeneratedPidLength = 0x13;

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string hex(std::string_view s) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    raise(Err::General, {"The workgroup '" + fileName(path) + "' cannot be changed: " + why +
                         " Neither the workgroup nor the database was changed by it."});
}

bool isEmptyPassword(std::string_view p) {
    if (p.size() != kJet4PasswordLength) return false;
    for (size_t i = kPasswordBlock; i < p.size(); i += kPasswordBlock)
        if (p.compare(i, kPasswordBlock, p.substr(0, kPasswordBlock)) != 0) return false;
    return true;
}

// Pages the writing left alone must be the original's, byte for byte.
void compareUnchanged(const std::string& newFile, const std::string& original,
                      const PageFile& planned, std::vector<std::string>& out) {
    UniqueFd a(::open(original.c_str(), O_RDONLY | O_CLOEXEC));
    UniqueFd b(::open(newFile.c_str(), O_RDONLY | O_CLOEXEC));
    if (a.get() < 0 || b.get() < 0) {
        out.push_back("the files cannot be opened to compare their pages");
        return;
    }
    const std::vector<uint32_t> changed = planned.changedPages();
    const size_t size = planned.pageSize();
    std::vector<uint8_t> x(size), y(size);
    for (uint32_t n = 0; n < planned.originalPageCount(); ++n) {
        if (std::binary_search(changed.begin(), changed.end(), n)) continue;
        const off_t at = static_cast<off_t>(n) * static_cast<off_t>(size);
        if (::pread(a.get(), x.data(), size, at) != static_cast<ssize_t>(size) ||
            ::pread(b.get(), y.data(), size, at) != static_cast<ssize_t>(size)) {
            out.push_back("the files cannot be read to compare their pages");
            return;
        }
        if (x != y)
            out.push_back("page " + std::to_string(n) + " changed although nothing asked it to");
    }
}

}  // namespace

WorkgroupFile::WorkgroupFile(const std::string& path) : path_(path) {
    try {
        {
            PageFile probe(path);
            const FileFacts& f = probe.facts();
            if (!f.codecSupported())
                refuse(path, "it is a workgroup of a later format, which cannot be changed yet.");
        }
        lock_ = std::make_unique<SessionLock>(path);
        file_ = std::make_unique<PageFile>(path);
        const FileCatalog catalog(*file_);
        accountsPage_ = catalog.tablePage("MSysAccounts");
        groupsPage_ = catalog.tablePage("MSysGroups");
        if (accountsPage_ == 0 || groupsPage_ == 0)
            refuse(path, "it holds no MSysAccounts or MSysGroups table, so it is no workgroup.");
        accounts_ = StoredTable(*file_, "MSysAccounts", accountsPage_);
        groups_ = StoredTable(*file_, "MSysGroups", groupsPage_);
        for (const StoredTable* t : {&accounts_, &groups_}) {
            const auto images = t->definition().encode();
            for (size_t i = 0; i < images.size(); ++i)
                if (*file_->page(t->definition().pages()[i]) != images[i])
                    refuse(path, "the definition of its table '" + t->name() +
                                     "' holds something this program cannot write back exactly.");
        }
        col_.name = accounts_.column("Name");
        col_.sid = accounts_.column("SID");
        col_.group = accounts_.column("FGroup");
        col_.password = accounts_.column("Password");
        groupSidCol_ = groups_.column("GroupSID");
        userSidCol_ = groups_.column("UserSID");
    } catch (const ReplaceError& e) {
        // NAME.ldb beside the workgroup, another run's lock, a read-only
        // file: the text names the file and says it was not changed.
        raise(Err::General, {"The workgroup '" + fileName(path) + "' cannot be changed. " +
                             e.what()});
    } catch (const FormatError& e) {
        refuse(path, "its structures cannot be read for writing (" + std::string(e.what()) + ").");
    }
    // Jet 4 databases mask the SIDs they store; a workgroup that masks its
    // own would need the new ones masked too, which no file measured shows.
    std::vector<std::string> sids;
    for (const auto& r : accounts_.rows) sids.emplace_back(asBinary(r.values[col_.sid]));
    const auto header = format::readHeader(path);
    if (header && header->sidKey && format::sidsLookMasked(sids, *header->sidKey))
        refuse(path, "its security IDs are stored masked, which this program cannot write yet.");
    learn();
}

WorkgroupFile::~WorkgroupFile() = default;

// What new rows hold besides their name and SID, learned from the file's own
// accounts of each kind (those Access made, with SIDs of the FE shape, where
// there are any): a field they all hold alike is held alike by a new one.
void WorkgroupFile::learn() {
    const auto kindRows = [&](bool group) {
        std::vector<const Row*> made, all;
        for (const auto& r : accounts_.rows) {
            if ((asInteger(r.values[col_.group]) != 0) != group) continue;
            const std::string_view sid = asBinary(r.values[col_.sid]);
            all.push_back(&r.values);
            if (sid.size() > 2 && static_cast<uint8_t>(sid[0]) == 0xFE) made.push_back(&r.values);
        }
        return made.empty() ? all : made;
    };
    const size_t columns = accounts_.definition().columns.size();
    const auto templateOf = [&](bool group, std::string& refusal) -> std::optional<Row> {
        const auto rows = kindRows(group);
        Row t(columns);
        for (size_t c = 0; c < columns; ++c) {
            if (c == col_.name || c == col_.sid || c == col_.group) continue;
            if (!group && c == col_.password) continue;
            if (rows.empty()) continue;  // null, as an account without a value holds it
            const FieldValue& v = (*rows.front())[c];
            for (const Row* r : rows)
                if ((*r)[c] != v) {
                    refusal = "its " + std::string(group ? "groups" : "users") +
                              " hold different values in the field '" +
                              accounts_.definition().columns[c].name +
                              "', so what a new one holds there cannot be learned from them.";
                    return std::nullopt;
                }
            t[c] = v;
        }
        t[col_.group] = group;
        return t;
    };
    groupTemplate_ = templateOf(true, groupRefusal_);
    userTemplate_ = templateOf(false, userRefusal_);
    if (!userTemplate_) return;
    if (!file_->facts().jet4()) {
        // The Access 97 workgroups measured hold no user whose blocks are
        // all alike: every user's first block is its own, admin's and
        // guest's too, so which of them (if any) stands for no password is
        // not shown by any file, reader or note.
        userRefusal_ =
            "it is an Access 97 workgroup, and the form such a workgroup stores an empty "
            "password in is not known (none of its users shows it; the cipher of passwords "
            "is not known). Groups and memberships can be made in it.";
        userTemplate_.reset();
        return;
    }
    // The empty password: every block alike, the same in every workgroup
    // seen, whatever the account. A file whose users all have passwords
    // does not show it.
    std::set<std::string> empties;
    for (const auto& r : accounts_.rows) {
        if (asInteger(r.values[col_.group]) != 0) continue;
        const std::string_view p = asBinary(r.values[col_.password]);
        if (isEmptyPassword(p)) empties.emplace(p);
    }
    if (empties.size() != 1) {
        userRefusal_ =
            empties.empty()
                ? "none of its users has an empty password, and the form the workgroup "
                  "stores an empty password in can only be learned from one (the cipher of "
                  "passwords is not known)."
                : "its users hold empty passwords in more than one form.";
        userTemplate_.reset();
        return;
    }
    (*userTemplate_)[col_.password] = Binary{*empties.begin()};
    // The personal ID length Access gave the file's accounts, where they agree.
    std::set<uint8_t> lengths;
    for (const auto& r : accounts_.rows) {
        const std::string_view sid = asBinary(r.values[col_.sid]);
        const std::string n = asText(r.values[col_.name]);
        if (sid.size() > 2 && static_cast<uint8_t>(sid[0]) == 0xFE &&
            sid.size() == 2 + n.size() + static_cast<uint8_t>(sid[1]))
            lengths.insert(static_cast<uint8_t>(sid[1]));
    }
    sidLength_ = lengths.size() == 1 ? *lengths.begin() : kGeneratedPidLength;
}

const WorkgroupFile::Row* WorkgroupFile::find(std::string_view name) const {
    for (const auto& r : accounts_.rows)
        if (text::equalNoCase(asText(r.values[col_.name]), name)) return &r.values;
    for (const auto& r : newAccounts_)
        if (text::equalNoCase(asText(r[col_.name]), name)) return &r;
    return nullptr;
}

bool WorkgroupFile::isMember(const std::string& groupSid, const std::string& userSid) const {
    const auto is = [&](const Row& r) {
        return asBinary(r[groupSidCol_]) == groupSid && asBinary(r[userSidCol_]) == userSid;
    };
    for (const auto& r : groups_.rows)
        if (is(r.values)) return true;
    return std::any_of(newMembers_.begin(), newMembers_.end(), is);
}

// FE, the personal ID's length, then len(name) + that many bytes: the shape
// of the SIDs Access makes. Jet makes them from the name and a personal ID
// by a transform no public source gives; without a personal ID it makes one
// up, so random bytes are as good as its own. No zero byte: readers that
// take binary values as text cut them there.
std::string WorkgroupFile::newSid(std::string_view name) const {
    std::random_device device;
    std::uniform_int_distribution<int> byte(1, 255);
    std::set<std::string> taken(kFixedSids);
    for (const auto& r : accounts_.rows) taken.emplace(asBinary(r.values[col_.sid]));
    for (const auto& r : newAccounts_) taken.emplace(asBinary(r[col_.sid]));
    for (const auto& r : groups_.rows) {
        taken.emplace(asBinary(r.values[groupSidCol_]));
        taken.emplace(asBinary(r.values[userSidCol_]));
    }
    for (;;) {
        std::string sid;
        sid += static_cast<char>(0xFE);
        sid += static_cast<char>(sidLength_);
        const size_t length = name.size() + sidLength_;
        for (size_t i = 0; i < length; ++i) sid += static_cast<char>(byte(device));
        if (!taken.count(sid)) return sid;
    }
}

// A new row's keys in every index of its table must be ones the encoder can
// prove, or the index could not be built at the end.
void WorkgroupFile::provable(const StoredTable& table, const Row& row, std::string_view what,
                             std::string_view name) const {
    const TableDefinition& def = table.definition();
    for (const auto& ri : def.realIndexes) {
        const auto columns = keyColumns(def, ri);
        const auto key = ri.keyColumns();
        for (size_t k = 0; k < key.size(); ++k) {
            size_t at = 0;
            while (at < def.columns.size() && def.columns[at].number != key[k].number) ++at;
            if (at == def.columns.size() || !IndexKey::canProve(columns[k], row[at]))
                refuse(path_, std::string(what) + " '" + std::string(name) +
                                  "' cannot be made: its key in the index of the table '" +
                                  table.name() + "' cannot be written exactly yet.");
        }
    }
}

void WorkgroupFile::createAccounts(const std::vector<statement::Account>& list, bool group) {
    const char* kind = group ? "The group" : "The user";
    for (size_t i = 0; i < list.size(); ++i) {
        const auto& a = list[i];
        if (find(a.name)) raise(Err::AccountExists, {a.name});
        for (size_t k = 0; k < i; ++k)
            if (text::equalNoCase(list[k].name, a.name)) raise(Err::AccountExists, {a.name});
        if (!a.pid.empty())
            refuse(path_, std::string(kind) + " '" + a.name +
                              "' cannot be made with a personal ID: Jet makes the security ID "
                              "from it in a way no public source gives. Without a personal ID "
                              "it gets a new security ID of its own.");
        if (!group && !a.password.empty())
            refuse(path_, "the user '" + a.name +
                              "' cannot be made with a password: the workgroup's passwords "
                              "are stored in a form that is not known. Make the user without "
                              "one and set the password in Access.");
        const std::optional<Row>& model = group ? groupTemplate_ : userTemplate_;
        if (!model)
            refuse(path_, std::string(kind) + " '" + a.name +
                              "' cannot be made: " + (group ? groupRefusal_ : userRefusal_));
        Row row = *model;
        row[col_.name] = a.name;
        row[col_.sid] = Binary{newSid(a.name)};
        provable(accounts_, row, kind, a.name);
        newAccounts_.push_back(row);
        // As in Jet, every new user joins the Users group.
        if (!group) {
            bool users = false;
            for (const auto& r : accounts_.rows)
                users = users || (asBinary(r.values[col_.sid]) == kUsersSid &&
                                  asInteger(r.values[col_.group]) != 0);
            if (users) {
                Row m(groups_.definition().columns.size());
                m[groupSidCol_] = Binary{kUsersSid};
                m[userSidCol_] = row[col_.sid];
                provable(groups_, m, kind, a.name);
                newMembers_.push_back(std::move(m));
            }
        }
    }
}

void WorkgroupFile::addMembers(const std::vector<std::string>& users, const std::string& group) {
    for (const auto& u : users) {
        const Row* user = find(u);
        if (!user || asInteger((*user)[col_.group]) != 0) raise(Err::AccountNotFound, {u});
        const Row* g = find(group);
        if (!g || asInteger((*g)[col_.group]) == 0) raise(Err::AccountNotFound, {group});
        const std::string userSid(asBinary((*user)[col_.sid]));
        const std::string groupSid(asBinary((*g)[col_.sid]));
        if (isMember(groupSid, userSid))
            raise(Err::AlreadyMember, {asText((*user)[col_.name]), asText((*g)[col_.name])});
        Row m(groups_.definition().columns.size());
        m[groupSidCol_] = Binary{groupSid};
        m[userSidCol_] = Binary{userSid};
        provable(groups_, m, "The membership of", u);
        newMembers_.push_back(std::move(m));
    }
}

void WorkgroupFile::execute(const statement::Statement& st) {
    if (planned_) throw std::logic_error("the workgroup was written already");
    const auto accounts = newAccounts_;
    const auto members = newMembers_;
    try {
        if (const auto* cu = std::get_if<statement::CreateUsers>(&st))
            createAccounts(cu->users, false);
        else if (const auto* cg = std::get_if<statement::CreateGroups>(&st))
            createAccounts(cg->groups, true);
        else if (const auto* am = std::get_if<statement::AddMembers>(&st))
            addMembers(am->users, am->group);
        else if (std::holds_alternative<statement::AlterUserPassword>(st))
            refuse(path_,
                   "a password cannot be set: the workgroup's passwords are stored in a "
                   "form that is not known.");
        else
            raise(Err::NotWrittenYet, {"Removing users, groups or memberships"});
    } catch (...) {
        newAccounts_ = accounts;
        newMembers_ = members;
        throw;
    }
}

std::vector<WorkgroupAccount> WorkgroupFile::accounts() const {
    std::vector<WorkgroupAccount> out;
    const auto add = [&](const Row& r, bool created) {
        out.push_back({asText(r[col_.name]), std::string(asBinary(r[col_.sid])),
                       asInteger(r[col_.group]) != 0, created});
    };
    for (const auto& r : accounts_.rows) add(r.values, false);
    for (const auto& r : newAccounts_) add(r, true);
    return out;
}

std::vector<WorkgroupMembership> WorkgroupFile::memberships() const {
    std::vector<WorkgroupMembership> out;
    const auto add = [&](const Row& r) {
        out.push_back(
            {std::string(asBinary(r[groupSidCol_])), std::string(asBinary(r[userSidCol_]))});
    };
    for (const auto& r : groups_.rows) add(r.values);
    for (const auto& r : newMembers_) add(r);
    return out;
}

std::optional<std::string> WorkgroupFile::sidOf(std::string_view name, bool group) const {
    const Row* r = find(name);
    if (!r || (asInteger((*r)[col_.group]) != 0) != group) return std::nullopt;
    return std::string(asBinary((*r)[col_.sid]));
}

std::vector<std::string> WorkgroupFile::createdNames() const {
    std::vector<std::string> out;
    for (bool group : {false, true})
        for (const auto& r : newAccounts_)
            if ((asInteger(r[col_.group]) != 0) == group) out.push_back(asText(r[col_.name]));
    return out;
}

// The new rows on the tables' pages, and every index of the two tables
// rebuilt whole: the entries the file had, which keep pointing at their rows
// (inserting moves no row), and the new rows' own.
void WorkgroupFile::plan() {
    PageEditor pages(*file_);
    const auto addRows = [&](const StoredTable& table, const std::vector<Row>& rows) {
        if (rows.empty()) return;
        TableDefinition def = table.definition();
        RowEditor editor(pages, def.firstPage(), def.ownedPages, def.freeSpacePages);
        LongValueWriter longValues(*file_);
        std::vector<std::pair<uint32_t, const Row*>> inserted;
        for (const auto& r : rows)
            inserted.emplace_back(editor.insert(encodeRow(def, r, &longValues)), &r);
        editor.finish();
        if (!longValues.pages().empty())
            throw FormatError("long values in a row of " + table.name(), def.firstPage());
        def.rowCount += static_cast<uint32_t>(rows.size());
        for (auto& ri : def.realIndexes) {
            const auto tree = walkIndex(
                [&](uint32_t pg) {
                    const auto bytes = file_->page(pg);
                    return std::vector<uint8_t>(bytes->begin(), bytes->end());
                },
                ri.firstPage);
            const auto columns = keyColumns(def, ri);
            std::vector<size_t> at;
            for (const auto& ic : ri.keyColumns()) {
                size_t k = 0;
                while (k < def.columns.size() && def.columns[k].number != ic.number) ++k;
                if (k == def.columns.size())
                    throw FormatError("an index of " + table.name() + " names no column",
                                      def.firstPage());
                at.push_back(k);
            }
            std::vector<IndexEntry> entries = tree.entries;
            for (const auto& [id, row] : inserted) {
                std::vector<FieldValue> key;
                bool allNull = true;
                for (size_t k : at) {
                    key.push_back((*row)[k]);
                    allNull = allNull && isNull(key.back());
                }
                if (allNull && (ri.flags & idxflag::IgnoreNulls)) continue;
                IndexEntry e;
                e.key = IndexKey::encode(columns, key);
                e.dataPage = id >> 8;
                e.dataRow = static_cast<uint8_t>(id & 0xFF);
                entries.push_back(std::move(e));
            }
            std::sort(entries.begin(), entries.end(), entryLess);
            for (uint32_t pg : tree.leaves) pages.release(pg);
            for (uint32_t pg : tree.intermediates) pages.release(pg);
            const auto built =
                IndexBuilder::build(entries, def.firstPage(), [&] { return pages.allocate(); },
                                    file_->layout());
            std::vector<uint32_t> indexPages;
            for (const auto& [pg, bytes] : built.pages) {
                auto out = file_->writable(pg);
                if (bytes.size() != out.size())
                    throw FormatError("an index page was built for pages of another size", pg);
                std::copy(bytes.begin(), bytes.end(), out.begin());
                indexPages.push_back(pg);
            }
            std::sort(indexPages.begin(), indexPages.end());
            pages.writeUsageMap(ri.map, indexPages);
            ri.firstPage = built.root;
            ri.slotRowCount = built.distinctKeys;
        }
        for (uint32_t freed : def.write(*file_)) pages.release(freed);
        for (uint32_t pg : def.pages())
            if (pg >= file_->originalPageCount()) pages.markUsed(pg);
    };
    addRows(accounts_, newAccounts_);
    addRows(groups_, newMembers_);
    pages.finish();
    planned_ = true;
}

std::vector<std::string> WorkgroupFile::verify(const std::string& newFile) const {
    std::vector<std::string> out;
    // Sorted as the reader reads them: names with their SIDs in hexadecimal.
    std::vector<std::tuple<std::string, std::string, bool>> accounts;
    for (const auto& a : this->accounts()) accounts.emplace_back(a.name, hex(a.sid), a.group);
    std::vector<std::pair<std::string, std::string>> members;
    for (const auto& m : memberships()) members.emplace_back(hex(m.groupSid), hex(m.userSid));
    std::sort(accounts.begin(), accounts.end());
    std::sort(members.begin(), members.end());

    // The reader, in its own process.
    const auto reply = mdb::readInChild(newFile, mdb::ReadMode::Workgroup);
    if (reply.status != mdb::ReadStatus::Ok) {
        out.push_back("the reader cannot read the written workgroup");
    } else {
        std::vector<std::tuple<std::string, std::string, bool>> theirs;
        for (const auto& a : reply.snapshot.accounts) theirs.emplace_back(a.name, a.sid, a.isGroup);
        std::vector<std::pair<std::string, std::string>> theirMembers;
        for (const auto& m : reply.snapshot.memberships)
            theirMembers.emplace_back(m.groupSid, m.userSid);
        std::sort(theirs.begin(), theirs.end());
        std::sort(theirMembers.begin(), theirMembers.end());
        if (theirs != accounts) out.push_back("the reader reads other accounts than planned");
        if (theirMembers != members)
            out.push_back("the reader reads other memberships than planned");
    }

    // The page codec, reading the file afresh: every row as planned, the
    // file's own rows where they were.
    PageFile file(newFile);
    if (file.pageCount() != file_->pageCount())
        out.push_back("the written workgroup has " + std::to_string(file.pageCount()) +
                      " pages, not " + std::to_string(file_->pageCount()));
    const auto rowsRead = [&](const StoredTable& planned, const std::vector<Row>& added) {
        const StoredTable read(file, planned.name(), planned.definition().firstPage());
        std::map<uint32_t, const Row*> byId;
        for (const auto& r : read.rows) byId[r.rowId] = &r.values;
        for (const auto& r : planned.rows) {
            auto it = byId.find(r.rowId);
            if (it == byId.end() || *it->second != r.values)
                out.push_back(planned.name() + ": a row of the file no longer reads as it did");
            else
                byId.erase(it);
        }
        // The rest are the new rows, in any order.
        std::vector<const Row*> rest;
        for (const auto& [id, values] : byId) rest.push_back(values);
        bool same = rest.size() == added.size();
        for (const Row& want : added) {
            auto it =
                std::find_if(rest.begin(), rest.end(), [&](const Row* r) { return *r == want; });
            if (it == rest.end()) {
                same = false;
                break;
            }
            rest.erase(it);
        }
        if (!same) out.push_back(planned.name() + ": the new rows do not read as planned");
    };
    rowsRead(accounts_, newAccounts_);
    rowsRead(groups_, newMembers_);

    // The structural checker on both tables against the original.
    PageFile before(lock_->path());
    const std::vector<CheckedTable> tables = {{"MSysAccounts", accountsPage_},
                                              {"MSysGroups", groupsPage_}};
    for (const auto& f : Checker(file, Baseline{&before, file_->changedPages()}).check(tables))
        out.push_back(f.table + ": " + f.what +
                      (f.page >= 0 ? " (page " + std::to_string(f.page) + ")" : ""));
    compareUnchanged(newFile, lock_->path(), *file_, out);
    return out;
}

std::string WorkgroupFile::write(const ReplaceHooks& hooks) {
    if (!changed()) return {};
    if (!planned_) plan();
    std::vector<Bytes> hold;
    std::vector<PageWrite> writes;
    const std::vector<uint32_t> changedPages = file_->changedPages();
    hold.reserve(changedPages.size());
    for (uint32_t n : changedPages) {
        hold.push_back(file_->stored(n));
        writes.push_back({n, hold.back()});
    }
    const Verify check = [&](const std::string& newFile) { return verify(newFile); };
    return safeReplace(*lock_, writes, check, hooks);
}

}  // namespace jet::file
