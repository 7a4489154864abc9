#include "wizard/WizardPages.h"

#include <array>

namespace wizard {

namespace {

constexpr std::array<PageText, kPageCount> kPages{{
    {"Welcome to Orvel! Parabase v1.2 for MSAccess...",
     "Here you will find some info about Parabase on how it works...", "Welcome", false, true},
    {"Selection of the databases to compare...",
     "Please specify your source and destination databases by filling the textboxes "
     "below.Selecting a workgroup file and username and password sections are optional depending "
     "on your databases...",
     "Databases", true, true},
    {"Selection of the database objects to compare...",
     "Please specify the objects which you want to be used while comparing the two databases and "
     "customize the script generation...",
     "Options", true, true},
    {"Compare process...",
     "If you're ready, you can begin compare by simply pressing the 'Compare' button...", "Compare",
     true, true},
    {"Results Page...",
     "At this page, you can browse through the results and create the synchronization scripts to "
     "make those two databases equal...",
     "Results", true, false},
}};

// The welcome label's margin at the page's top and left.
constexpr double kWelcomeMargin = 100;

}  // namespace

std::optional<PageText> PageTexts(int page) {
    if (page < 1 || page > kPageCount) return std::nullopt;
    return kPages[static_cast<size_t>(page - 1)];
}

bool PageNavigator::Bar_ButtonClick(int button) {
    if (pageNumber_ == button) return false;
    pageNumber_ = static_cast<uint8_t>(button);
    return true;
}

PagePlace PlacePage(double barWidth, double headerTopTop, double headerTopHeight, double innerWidth,
                    double headerBottomTop) {
    const double top = headerTopTop + headerTopHeight;
    return {barWidth, top, innerWidth - barWidth, headerBottomTop - top};
}

PagePlace PlaceWelcome(double pageInnerWidth, double pageInnerHeight) {
    return {kWelcomeMargin, kWelcomeMargin, pageInnerWidth - kWelcomeMargin,
            pageInnerHeight - kWelcomeMargin};
}

}  // namespace wizard
