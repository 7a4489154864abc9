// The detail window's designed geometry, in both layouts.
#include <gtest/gtest.h>

#include "detail/DetailLayout.h"

namespace {

using namespace detail::layout;

TEST(DetailLayout, TheTableLayoutCoversTheCommandTextsDownToTheirBottomEdge) {
    EXPECT_EQ(designOf("DGrid").rect.top, 600);
    EXPECT_EQ(designOf("DGrid").rect.width, 8625);
    EXPECT_EQ(designOf("DCmdTxt").rect.top, 3240);
    EXPECT_EQ(designOf("DCmdTxt").rect.height, 1815);
    // Always the same, however many tables were shown before.
    EXPECT_EQ(tableGrid(), (Rect{120, 600, 8650, 4480}));
    EXPECT_EQ(placeIn(Mode::Table, designOf("DGrid")), tableGrid());
    EXPECT_EQ(placeIn(Mode::Text, designOf("DGrid")), designOf("DGrid").rect);
}

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

// In each layout the controls shown lie inside the client area and on no
// other control shown.
TEST(DetailLayout, ShownControlsNeitherOverlapNorLeaveTheWindow) {
    for (Mode mode : {Mode::Text, Mode::Table}) {
        for (const Place& a : kDesign) {
            if (!shownIn(mode, a)) continue;
            const Rect ra = placeIn(mode, a);
            EXPECT_GE(ra.left, 0) << a.control;
            EXPECT_GE(ra.top, 0) << a.control;
            EXPECT_LE(ra.right(), kClientWidth) << a.control;
            EXPECT_LE(ra.bottom(), kClientHeight) << a.control;
            for (const Place& b : kDesign) {
                if (&a == &b || !shownIn(mode, b)) continue;
                EXPECT_FALSE(overlap(ra, placeIn(mode, b))) << a.control << " / " << b.control;
            }
        }
    }
}

TEST(DetailLayout, TheTableLayoutHidesTheCommandTextAreaOnly) {
    for (const Place& p : kDesign) {
        const bool commandArea = p.control == "CmdHdr" || p.control == "Label2" ||
                                 p.control == "Label3" || p.control == "SCmdTxt" ||
                                 p.control == "DCmdTxt" || p.control == "PAction";
        EXPECT_EQ(shownIn(Mode::Table, p), !commandArea) << p.control;
        EXPECT_TRUE(shownIn(Mode::Text, p)) << p.control;
    }
}

TEST(DetailLayout, ResizerSettingsAreTheWindowsDesign) {
    EXPECT_EQ(kResizer.FirstWidth, 8880);
    EXPECT_EQ(kResizer.FirstHeight, 5610);
    EXPECT_EQ(kResizer.MinFormWidth, 9000);
    EXPECT_EQ(kResizer.MinFormHeight, 5910);
    EXPECT_EQ(kResizer.MaxFormWidth, 0);
    EXPECT_TRUE(kResizer.ResizeFont);
}

}  // namespace
