// The about box of the control libraries, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "subclass/frmabout.h"
#include "ui/testing/QtTestApplication.h"

using namespace Qt::StringLiterals;

namespace {

void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

std::string here(const char* file) { return (std::filesystem::current_path() / file).string(); }

TEST(FrmAbout, ShowsTheControlsTextsAndOpensItsLinks) {
    ui::testing::qtApplication();
    struct Shell : subclass::Shell {
        std::int32_t ShellExecute(std::int32_t owner, const std::string& operation,
                                  const std::string& file, const std::string&, const std::string&,
                                  std::int32_t show) override {
            calls.push_back(file + " " + operation + " " + std::to_string(show) + " " +
                            std::to_string(owner));
            return result;
        }
        std::vector<std::string> calls;
        std::int32_t result = 42;
    } shell;
    subclass::frmabout box(subclass::AboutTexts::anchor(), nullptr, &shell);
    box.show();
    settle();
    EXPECT_EQ(box.windowTitle(), u"About Orvel! Anchor Control"_s);
    EXPECT_EQ(box.ControlName->text(), u"Orvel! Anchor Control"_s);
    EXPECT_EQ(box.Build->text(), u"Version 2.0"_s);
    EXPECT_EQ(box.Label11->text(), u"Feedback :"_s);
    EXPECT_EQ(box.Label9->text(), u"Information :"_s);
    EXPECT_EQ(box.Label7->text(), u"Support :"_s);
    EXPECT_EQ(box.Label5->text(), u"Web Site :"_s);
    EXPECT_EQ(box.Ok->text(), u"OK"_s);
    EXPECT_EQ(box.WSite->text(), u"http://www.example.org"_s);
    for (QLabel* l : {box.Feedback, box.Info, box.Support, box.WSite}) {
        EXPECT_TRUE(l->property("Tag").toString().contains(u"example.org"_s));
        // Every text fits its label.
        EXPECT_LE(l->sizeHint().width(), l->width()) << l->objectName().toStdString();
    }
    for (QLabel* l : {box.ControlName, box.Build, box.SubControlName, box.Label6, box.Label8,
                      box.Label11, box.Label9, box.Label7, box.Label5})
        EXPECT_LE(l->sizeHint().width(), l->width()) << l->objectName().toStdString();
    box.grab().save(QString::fromStdString(here("frmabout.png")));

    QTest::mouseClick(box.Support, Qt::LeftButton);
    QTest::mouseClick(box.WSite, Qt::LeftButton);
    EXPECT_EQ(shell.calls, (std::vector<std::string>{"mailto:support@example.org open 1 0",
                                                     "http://www.example.org open 1 0"}));
    EXPECT_FALSE(box.lastFailure());
    shell.result = 31;
    QTest::mouseClick(box.Feedback, Qt::LeftButton);
    ASSERT_TRUE(box.lastFailure());
    EXPECT_EQ(box.lastFailure()->source, "Bollard2.GShell");
    EXPECT_TRUE(box.isVisible());  // no message, the box stays
    QTest::mouseClick(box.Ok, Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);

    subclass::frmabout other(subclass::AboutTexts::resizer(), nullptr, &shell);
    EXPECT_EQ(other.windowTitle(), u"About Orvel! Resizer Control"_s);
    EXPECT_EQ(other.WSite->text(), u"http://www.example.org/"_s);
}

}  // namespace
