// Every page of the main window at its design size and at its minimum size,
// written beside the test as PNG for a person's look, and checked for text
// that does not fit and controls that overlap or leave their page.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <filesystem>

#include "WindowRig.h"

using namespace Qt::StringLiterals;
#include "ui/ButtonStrip.h"
#include "ui/CheckBox.h"
#include "ui/PictureBox.h"
#include "ui/TextBox.h"
#include "ui/ToolButton.h"
#include "ui/Toolbar.h"

namespace {

using namespace wizardtest;

struct Size {
    const char* name;
    bool minimum;
};

std::string nameOf(const QWidget* w) { return w->objectName().toStdString(); }

// Whether a control's text fits the place it was given.
bool textFits(QWidget* w) {
    if (auto* c = qobject_cast<QCheckBox*>(w)) {
        const auto* box = static_cast<ui::CheckBox*>(c);
        if (box->WordWrap()) return box->heightForWidth(box->width()) <= box->height();
        return box->sizeHint().width() <= box->width();
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->wordWrap()) return l->heightForWidth(l->width()) <= l->height();
        return l->sizeHint().width() <= l->width();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
        return b->fontMetrics().horizontalAdvance(b->text()) + icon + 8 <= b->width();
    }
    return true;
}

// Every shown control of `parent` lies inside it, overlaps no sibling, and
// shows its whole text; the same for the controls inside frames and pages.
void expectLaidOut(QWidget* parent, const std::string& where) {
    const QList<QWidget*> kids = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* k : kids) {
        if (!k->isVisible() || k->objectName().isEmpty() || k->objectName() == u"SBar"_s) continue;
        EXPECT_TRUE(parent->rect().contains(k->geometry()))
            << nameOf(k) << " leaves " << nameOf(parent) << " " << where;
        EXPECT_TRUE(textFits(k)) << nameOf(k) << " cuts its text " << where;
        for (QWidget* other : kids) {
            if (other == k || !other->isVisible() || other->objectName().isEmpty()) continue;
            EXPECT_FALSE(k->geometry().intersects(other->geometry()))
                << nameOf(k) << " overlaps " << nameOf(other) << " " << where;
        }
        if (qobject_cast<QGroupBox*>(k) || dynamic_cast<ui::PictureBox*>(k))
            expectLaidOut(k, where);
    }
}

class FrmMainLook : public ::testing::TestWithParam<Size> {};

TEST_P(FrmMainLook, EveryPageReadsWell) {
    WindowRig rig;
    // Every page with something on it: the samples compared.
    const std::filesystem::path samples = std::filesystem::path(PARABASE1_DIR) / "samples";
    for (const char* name :
         {"Development.sdb", "Development.sdw", "Production.sdb", "Production.sdw"})
        std::filesystem::copy_file(samples / name, rig.temp.path() / name);
    const auto file = [&](const char* name) {
        return QString::fromStdString((rig.temp.path() / name).string());
    };
    wizard::FrmMain& w = rig.window();
    w.SDBPath->Text(file("Development.sdb"));
    w.SWFPath->Text(file("Development.sdw"));
    w.SUName->Text(u"admin"_s);
    w.DDBPath->Text(file("Production.sdb"));
    w.DWFPath->Text(file("Production.sdw"));
    w.DUName->Text(u"admin"_s);
    // Compared from the Compare page, as a user does, so that its picture
    // shows the log as the run left it.
    w.Bar->MarkCurrent(4);
    w.show();
    settle();
    rig.services.expectBox({u"Successfully compared databases!"_s,
                            ui::Buttons::OkOnly,
                            ui::Icon::Information,
                            u"Orvel! Parabase"_s,
                            ui::Answer::Ok,
                            {}});
    w.CmdCompare_Click();
    rig.services.verify();
    if (GetParam().minimum) {
        w.resize(1, 1);
        settle();
        EXPECT_EQ(w.size(), w.minimumSize());
    }
    for (int page = 1; page <= 5; ++page) {
        w.Bar->MarkCurrent(page);
        if (page == 5) w.TBar->ButtonClick(15, u"Expand"_s);
        settle();
        expectLaidOut(&w, "on page " + std::to_string(page) + " at " + GetParam().name);
        w.grab().save(QString::fromStdString(
            here("FrmMain-page" + std::to_string(page) + "-" + GetParam().name + ".png")));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrmMainLook,
                         ::testing::Values(Size{"design", false}, Size{"minimum", true}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
