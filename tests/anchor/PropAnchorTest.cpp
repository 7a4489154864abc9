#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AnchorRig.h"
#include "anchor/PropAnchor.h"

namespace {

using anchor::PropAnchor;
using anchor::testing::anchorText;

constexpr std::uint32_t kGrey = PropAnchor::kAnchored;
constexpr std::uint32_t kWhite = PropAnchor::kFree;

class Target : public PropAnchor::Target {
public:
    explicit Target(std::string t) : text(std::move(t)) {}
    std::string Anchorit() override {
        ++reads;
        return text;
    }
    void setAnchorit(const std::string& value) override { written.push_back(value); }
    std::string text;
    int reads = 0;
    std::vector<std::string> written;
};

struct Page {
    explicit Page(const std::string& text) : target(std::make_shared<Target>(text)) {
        page.SelectedControls = {target};
        page.PropertyPage_SelectionChanged();
    }
    [[nodiscard]] std::vector<std::uint32_t> bars() const {
        return {page.ALeft, page.ATop, page.ARight, page.ABottom};
    }
    std::shared_ptr<Target> target;
    PropAnchor page;
};

const std::string kAB = anchorText({{"A", "1100"}, {"B", "0011"}});

TEST(PropAnchor, ListsTheKeysSelectsTheFirstAndShowsItsFlags) {
    Page p(kAB);
    EXPECT_EQ(p.page.List(), (std::vector<PropAnchor::ListItem>{{"A", 0}, {"B", 1}}));
    EXPECT_EQ(p.page.ListIndex(), 0);
    EXPECT_EQ(p.bars(), (std::vector<std::uint32_t>{kGrey, kGrey, kWhite, kWhite}));
    EXPECT_FALSE(p.page.Changed);
    p.page.selectItem(1);
    EXPECT_EQ(p.bars(), (std::vector<std::uint32_t>{kWhite, kWhite, kGrey, kGrey}));
    EXPECT_FALSE(p.page.Changed);
}

TEST(PropAnchor, ABarClickTogglesItsColourAndTheEntrysFlag) {
    Page p(kAB);
    p.page.ARight_Click();
    EXPECT_EQ(p.page.ARight, kGrey);
    EXPECT_EQ(p.page.entries()[0].AnchorRight, "1");
    EXPECT_TRUE(p.page.Changed);
    p.page.ARight_Click();
    EXPECT_EQ(p.page.ARight, kWhite);
    EXPECT_EQ(p.page.entries()[0].AnchorRight, "0");
    p.page.PropertyPage_ApplyChanges();
    EXPECT_EQ(p.target->written, (std::vector<std::string>{kAB}));
}

TEST(PropAnchor, EachBarSetsItsOwnEdge) {
    Page p(anchorText({{"A", "0000"}}));
    p.page.ALeft_Click();
    p.page.ABottom_Click();
    EXPECT_EQ(p.bars(), (std::vector<std::uint32_t>{kGrey, kWhite, kWhite, kGrey}));
    p.page.ATop_Click();
    p.page.ALeft_Click();
    p.page.PropertyPage_ApplyChanges();
    EXPECT_EQ(p.target->written.back(), anchorText({{"A", "0101"}}));
}

TEST(PropAnchor, AClickWithNoItemSelectedChangesNothing) {
    Page p(kAB);
    p.page.selectItem(-1);
    p.page.ALeft_Click();
    EXPECT_FALSE(p.page.Changed);
    EXPECT_EQ(p.page.entries()[0].AnchorLeft, "1");
}

TEST(PropAnchor, AFlagThatIsNeitherShowsWhiteAndOneClickAnchors) {
    // Left "x", top "1", right the closing separator taken as a flag, bottom empty.
    Page p("A\rx1\r");
    EXPECT_EQ(p.bars(), (std::vector<std::uint32_t>{kWhite, kGrey, kWhite, kWhite}));
    p.page.ALeft_Click();
    EXPECT_EQ(p.page.entries()[0].AnchorLeft, "1");
}

TEST(PropAnchor, ShowsAndWritesOnlyTheFirstSelectedControl) {
    auto first = std::make_shared<Target>(kAB);
    auto second = std::make_shared<Target>(anchorText({{"Other", "1111"}}));
    PropAnchor page;
    page.SelectedControls = {first, second};
    page.PropertyPage_SelectionChanged();
    EXPECT_EQ(page.ListCount(), 2);
    page.PropertyPage_ApplyChanges();
    EXPECT_EQ(first->written.size(), 1u);
    EXPECT_EQ(second->reads, 0);
    EXPECT_TRUE(second->written.empty());
}

TEST(PropAnchor, AnEmptyTextLeavesTheListEmptyAndApplyWritesEmpty) {
    Page p(kAB);
    // The next selection has no text: the entries of the last one must not
    // reach it.
    auto empty = std::make_shared<Target>("");
    p.page.SelectedControls = {empty};
    p.page.PropertyPage_SelectionChanged();
    EXPECT_EQ(p.page.ListCount(), 0);
    EXPECT_EQ(p.page.ListIndex(), -1);
    p.page.PropertyPage_ApplyChanges();
    EXPECT_EQ(empty->written, (std::vector<std::string>{""}));
}

TEST(PropAnchor, ATextWithNoCompleteEntryShowsOneEmptyItem) {
    Page p("NoSeparator");
    EXPECT_EQ(p.page.List(), (std::vector<PropAnchor::ListItem>{{"", 0}}));
    EXPECT_EQ(p.bars(), (std::vector<std::uint32_t>{kWhite, kWhite, kWhite, kWhite}));
    p.page.PropertyPage_ApplyChanges();
    EXPECT_EQ(p.target->written, (std::vector<std::string>{"\r\r"}));
}

TEST(PropAnchor, EntriesAreWrittenBackInTheOrderRead) {
    const std::string text = anchorText({{"Zeta", "1111"}, {"Alpha", "0000"}, {"Mid", "1010"}});
    Page p(text);
    p.page.selectItem(2);
    p.page.ATop_Click();
    p.page.PropertyPage_ApplyChanges();
    EXPECT_EQ(p.target->written.back(),
              anchorText({{"Zeta", "1111"}, {"Alpha", "0000"}, {"Mid", "1110"}}));
}

TEST(PropAnchor, NoSelectedControlReadsAndWritesNothing) {
    PropAnchor page;
    page.PropertyPage_SelectionChanged();
    EXPECT_EQ(page.ListCount(), 0);
    EXPECT_NO_THROW(page.PropertyPage_ApplyChanges());
}

// The page against the control itself, in the designer.
TEST(PropAnchor, EditsTheControlsListThroughItsDesignTimeProperty) {
    anchor::testing::Rig rig;
    rig.form->add("A", 0, 0, 10, 10);
    rig.form->add("B", 0, 0, 10, 10);
    rig.site.userMode = false;
    anchor::QAnchor& a = rig.load([](host::MemoryBag& bag) {
        bag.put("Anchor", anchorText({{"A", "1100"}, {"Gone", "1111"}}));
    });
    struct Control : PropAnchor::Target {
        explicit Control(anchor::QAnchor& c) : control(c) {}
        std::string Anchorit() override { return control.Anchorit(); }
        void setAnchorit(const std::string& v) override { control.setAnchorit(v); }
        anchor::QAnchor& control;
    };
    PropAnchor page;
    page.SelectedControls = {std::make_shared<Control>(a)};
    page.PropertyPage_SelectionChanged();
    // The page sees the list brought in step with the form.
    EXPECT_EQ(page.List(), (std::vector<PropAnchor::ListItem>{{"A", 0}, {"B", 1}}));
    page.selectItem(1);
    page.ARight_Click();
    page.PropertyPage_ApplyChanges();
    EXPECT_EQ(a.anchorList(), anchorText({{"A", "1100"}, {"B", "1110"}}));
    EXPECT_EQ(rig.site.changes.back(), "Anchorit");
}

}  // namespace
