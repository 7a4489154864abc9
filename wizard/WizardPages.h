#pragma once
// The wizard's five pages without a window: which page is shown, how the
// navigation bar and the Back and Next buttons change it, what each page's
// header says, and where the page's box goes between the bar, the top header
// and the bottom header.
#include <cstdint>
#include <optional>
#include <string_view>

namespace wizard {

inline constexpr int kPageCount = 5;

// What ShowPage sets for one page: the top band's title and description, the
// header line's caption, and whether Back and Next can be pressed.
struct PageText {
    std::string_view title;        // CLabel1
    std::string_view description;  // CLabel2
    std::string_view header;       // HeaderTop
    bool back = false;
    bool next = false;
};

// The texts of page 1 to 5; nothing for any other number.
[[nodiscard]] std::optional<PageText> PageTexts(int page);

// The page shown. 0 while the window loads; Back and Next step it as a byte
// without a range check (the window disables Back on page 1 and Next on
// page 5, and a page outside 1 to 5 shows nothing).
class PageNavigator {
public:
    [[nodiscard]] uint8_t PageNumber() const { return pageNumber_; }
    void PageNumber(uint8_t page) { pageNumber_ = page; }

    // A bar button: true when it names another page than the one shown, which
    // it then makes the page number (the window shows it). The button the
    // window marks for the page it has just shown names that page, so its
    // event changes nothing.
    [[nodiscard]] bool Bar_ButtonClick(int button);
    void CmdBack_Click() { --pageNumber_; }
    void CmdNext_Click() { ++pageNumber_; }

private:
    uint8_t pageNumber_ = 0;
};

// A page box's place, in twips, in the window's inside.
struct PagePlace {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    friend bool operator==(const PagePlace&, const PagePlace&) = default;
};

// Right of the bar, below the top header, above the bottom header, to the
// window's right edge.
[[nodiscard]] PagePlace PlacePage(double barWidth, double headerTopTop, double headerTopHeight,
                                  double innerWidth, double headerBottomTop);

// The welcome label's place inside page 1, whose inner size is given.
[[nodiscard]] PagePlace PlaceWelcome(double pageInnerWidth, double pageInnerHeight);

}  // namespace wizard
