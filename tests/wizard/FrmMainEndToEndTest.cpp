// The two sample databases through the main window, as a user would go: the
// fields and options set, Compare, the Results page, a script from the
// toolbar into the script window, saved, applied by the runner to a copy of
// the destination, and a second comparison through the window that finds
// every element equal. The results page is written as PNG on the way, every
// kind open (the README's picture comes from it).
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "WindowRig.h"
#include "engine/CCAccess.h"
#include "runner/CScriptRunner.h"
#include "runner/RunnerSettings.h"
#include "ui/ButtonStrip.h"
#include "ui/CheckBox.h"
#include "ui/MultiLineTextBox.h"
#include "ui/RichTextBox.h"
#include "ui/TextBox.h"
#include "ui/ToolButton.h"
#include "ui/Toolbar.h"
#include "ui/TreeGrid.h"
#include "wizard/FrmScript.h"
#include "wizard/ResultsTree.h"

using namespace Qt::StringLiterals;

namespace {

namespace fs = std::filesystem;
using namespace wizardtest;
using ui::Answer;
using ui::Buttons;
using ui::Icon;
using wizard::FrmMain;

const fs::path kSamples = fs::path(PARABASE1_DIR) / "samples";

// Every element that is not equal, one line each (empty when none).
std::string differences(const engine::TComparisonResult& r) {
    std::ostringstream out;
    for (const auto& t : r.Tables) {
        bool parts = false;  // a key or index differing in its columns alone
        for (const auto& c : t.Columns) parts |= c.Action != engine::acEqual;
        for (const auto& k : t.Keys) parts |= k.Action != engine::acEqual;
        for (const auto& i : t.Indexes) parts |= i.Action != engine::acEqual;
        if (t.Action != engine::acEqual || parts) out << "table " << t.Name << "\n";
    }
    for (const auto& v : r.Views)
        if (v.Action) out << "view " << v.Name << "\n";
    for (const auto& q : r.Procedures)
        if (q.Action) out << "procedure " << q.Name << "\n";
    for (const auto& u : r.Users)
        if (u.Action) out << "user " << u.Name << "\n";
    for (const auto& g : r.Groups)
        if (g.Action) out << "group " << g.Name << "\n";
    return out.str();
}

struct Failures : runner::ScriptRunnerEvents {
    void OnError(int32_t ErrNo, std::string ErrDesc, bool& Continue) override {
        text += std::to_string(ErrNo) + " " + ErrDesc + "\n";
        Continue = true;
    }
    std::string text;
};

class FrmMainEndToEnd : public ::testing::Test {
protected:
    FrmMainEndToEnd() {
        for (const char* name :
             {"Development.sdb", "Development.sdw", "Production.sdb", "Production.sdw"})
            fs::copy_file(kSamples / name, rig.temp.path() / name);
    }
    QString file(const char* name) const {
        return QString::fromStdString((rig.temp.path() / name).string());
    }
    void compare() {
        rig.services.expectBox({u"Successfully compared databases!"_s,
                                Buttons::OkOnly,
                                Icon::Information,
                                u"Orvel! Parabase"_s,
                                Answer::Ok,
                                {}});
        QTest::mouseClick(rig.window().CmdCompare, Qt::LeftButton);
        rig.services.verify();
    }

    WindowRig rig;
};

TEST_F(FrmMainEndToEnd, TheSamplesComparedScriptedAppliedAndComparedAgainAreEqual) {
    FrmMain& w = rig.window();
    w.show();
    settle();
    // Databases: the two samples with their workgroups (the user is admin).
    w.Bar->MarkCurrent(2);
    w.SDBPath->Text(file("Development.sdb"));
    w.SWFPath->Text(file("Development.sdw"));
    w.DDBPath->Text(file("Production.sdb"));
    w.DWFPath->Text(file("Production.sdw"));
    // Options: everything carried over, seeds and increments compared and written.
    w.Bar->MarkCurrent(3);
    settle();
    for (ui::CheckBox* box : {w.DObject, w.SAIncrement, w.CISeed, w.IIncSeed})
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, 8));
    EXPECT_EQ(w.DObject->Value(), 1);
    EXPECT_EQ(w.SAIncrement->Value(), 0);
    EXPECT_EQ(w.CISeed->Value(), 1);
    EXPECT_EQ(w.IIncSeed->Value(), 1);

    w.Bar->MarkCurrent(4);
    compare();
    ASSERT_TRUE(w.Compared());
    EXPECT_TRUE(w.TxtDetail->Text().contains(u"Comparing : User ("_s));
    EXPECT_TRUE(w.TxtDetail->Text().endsWith(u"Compare process completed..."_s));
    ASSERT_NE(differences(w.Session()->Access()->Differences()), "");

    // Results: a category row per kind; differences of every kind shown.
    w.Bar->MarkCurrent(5);
    settle();
    const ui::grid::GridModel& grid = w.MGrid->grid();
    std::vector<std::string> categories;
    std::set<int32_t> actions;
    for (int32_t r = 1; r <= grid.Rows(); ++r) {
        if (ui::grid::itemDataToInt(grid.CellItemData(r, wizard::col::Level)) == 0)
            categories.push_back(grid.CellText(r, 1).value_or(""));
        else
            actions.insert(grid.CellIcon(r, wizard::col::Action));
    }
    EXPECT_EQ(categories,
              (std::vector<std::string>{"Tables", "Procedures", "Views", "Users", "Groups"}));
    EXPECT_EQ(actions, (std::set<int32_t>{2, 3, 4, 5}));
    // The README's picture: every kind open, the window as tall as its rows need.
    w.TBar->ButtonClick(15, u"Expand"_s);
    settle();
    const QSize designed = w.size();
    const int rowsHeight = w.MGrid->model()->rowCount() * grid.DefaultRowHeight();
    w.resize(w.width(), w.height() + std::max(0, rowsHeight + 4 - w.MGrid->viewport()->height()));
    settle();
    EXPECT_EQ(w.MGrid->verticalScrollBar()->maximum(), 0) << "every row in view";
    w.grab().save(QString::fromStdString(here("FrmMain-results-samples.png")));
    w.resize(designed);
    settle();

    // A script from source to destination, saved from the script window.
    w.TBar->ButtonClick(18, u"SScript"_s);
    wizard::FrmScript* script = w.Script();
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->windowTitle(), u"Database Script (Source->Destination)"_s);
    EXPECT_TRUE(script->RTBox->Text().contains(u"CREATE TABLE"_s));
    EXPECT_TRUE(script->Notes->isHidden());  // nothing left out
    const QString psx = file("sync.psx");
    ui::FileDialog save;
    save.title = u"Save script file..."_s;
    save.filter = u"Parabase script file (*.psx)|*.psx|"_s;
    save.flags = ui::dlg::HideReadOnly;
    rig.services.expectSave(save, psx);
    QTest::mouseClick(script->CmdSave, Qt::LeftButton);
    rig.services.verify();
    ASSERT_TRUE(fs::exists(psx.toStdString()));

    // The runner applies it to the destination.
    runner::CScriptRunner run;
    Failures failures;
    run.Events(&failures);
    run.ConnectionString(runner::BuildConnectionString(
        {file("Production.sdb").toStdString(), file("Production.sdw").toStdString(), "", ""}));
    run.ScriptFile(psx.toStdString());
    EXPECT_TRUE(run.RunScript());
    EXPECT_EQ(failures.text, "");

    // Compared again through the window: every element equal.
    w.Bar->MarkCurrent(4);
    compare();
    EXPECT_EQ(differences(w.Session()->Access()->Differences()), "");
    w.Bar->MarkCurrent(5);
    w.TBar->ButtonClick(15, u"Expand"_s);
    int objects = 0;
    for (int32_t r = 1; r <= grid.Rows(); ++r) {
        if (ui::grid::itemDataToInt(grid.CellItemData(r, wizard::col::Level)) == 0) continue;
        ++objects;
        EXPECT_EQ(grid.CellIcon(r, wizard::col::Action), 2) << grid.CellText(r, 1).value_or("");
    }
    EXPECT_GT(objects, 10);
    settle();
    w.grab().save(QString::fromStdString(here("FrmMain-results-equal.png")));
}

}  // namespace
