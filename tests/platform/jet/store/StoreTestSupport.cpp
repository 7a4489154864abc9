#include "StoreTestSupport.h"

#include <sstream>

namespace storetest {

std::string dump(const jet::Catalog& cat) {
    std::ostringstream o;
    auto tables = cat.Tables();
    for (int i = 0; i < tables.Count(); ++i) {
        auto t = tables.Item(i);
        if (t.Type() == "SYSTEM TABLE") continue;
        o << "T " << t.Name() << " " << t.Type() << "\n";
        auto cols = t.Columns();
        for (int c = 0; c < cols.Count(); ++c) {
            auto col = cols.Item(c);
            o << " C " << col.Name() << " " << col.Type() << " " << col.DefinedSize() << " "
              << int{col.Precision()} << " " << int{col.NumericScale()} << " " << col.Attributes();
            auto props = col.Properties();
            for (int p = 0; p < props.Count(); ++p) o << " [" << jet::toText(props.Item(p).Value()) << "]";
            o << "\n";
        }
        auto ix = t.Indexes();
        for (int k = 0; k < ix.Count(); ++k) {
            auto x = ix.Item(k);
            o << " I " << x.Name() << " " << x.Unique() << x.PrimaryKey() << x.IndexNulls();
            auto xc = x.Columns();
            for (int c = 0; c < xc.Count(); ++c) o << " " << xc.Item(c).Name() << xc.Item(c).SortOrder();
            o << "\n";
        }
        auto keys = t.Keys();
        for (int k = 0; k < keys.Count(); ++k) {
            auto x = keys.Item(k);
            o << " K " << x.Name() << " " << x.Type() << " " << x.RelatedTable() << " "
              << x.UpdateRule() << x.DeleteRule();
            auto kc = x.Columns();
            for (int c = 0; c < kc.Count(); ++c)
                o << " " << kc.Item(c).Name() << ">" << kc.Item(c).RelatedColumn();
            o << "\n";
        }
    }
    auto views = cat.Views();
    for (int i = 0; i < views.Count(); ++i)
        o << "V " << views.Item(i).Name() << " " << views.Item(i).Command().CommandText() << "\n";
    auto procs = cat.Procedures();
    for (int i = 0; i < procs.Count(); ++i)
        o << "P " << procs.Item(i).Name() << " " << procs.Item(i).Command().CommandText() << "\n";
    return o.str();
}

Db::Db(std::string_view jetSql, bool withWorkgroup) {
    path = dir.file("test.sdb");
    if (withWorkgroup) workgroup = dir.file("test.sdw");
    jet::testing::buildStore(path, jetSql, workgroup);
    conn.Open(jet::testing::storeConnectionString(path, workgroup));
    cat.ActiveConnection(conn);
}

}  // namespace storetest
