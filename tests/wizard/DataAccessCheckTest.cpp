#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "jet/Connection.h"
#include "wizard/DataAccessCheck.h"

namespace {

using wizard::DataAccessVersion;

struct VersionCase {
    const char* name;
    const char* text;
    std::optional<DataAccessVersion> parsed;
    bool usable;
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.name; }

class DataAccessVersions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(DataAccessVersions, AreReadAsWholeNumbers) {
    const auto& c = GetParam();
    EXPECT_EQ(wizard::ParseDataAccessVersion(c.text), c.parsed);
    EXPECT_EQ(wizard::DataAccessVersionUsable(c.text), c.usable);
}

using V = DataAccessVersion;

INSTANTIATE_TEST_SUITE_P(
    Cases, DataAccessVersions,
    ::testing::Values(VersionCase{"theLayersOwn", "2.8", V{2, 8}, true},
                      VersionCase{"theOldestUsable", "2.7", V{2, 7}, true},
                      VersionCase{"twoDigitMinorIsNewer", "2.10", V{2, 10}, true},
                      VersionCase{"twoDigitMinorStillOlder", "1.10", V{1, 10}, false},
                      VersionCase{"newerMajor", "6.0", V{6, 0}, true},
                      VersionCase{"twoDigitMajor", "10.0", V{10, 0}, true},
                      VersionCase{"leadingZeroMinor", "2.07", V{2, 7}, true},
                      VersionCase{"buildNumberNotRead", "2.7.9", V{2, 7}, true},
                      VersionCase{"majorAlone", "3", V{3, 0}, true},
                      VersionCase{"majorAloneTooOld", "2", V{2, 0}, false},
                      VersionCase{"spacesAround", " 2.8 ", V{2, 8}, true},
                      VersionCase{"minorTooOld", "2.6", V{2, 6}, false},
                      VersionCase{"majorTooOld", "1.9", V{1, 9}, false},
                      VersionCase{"empty", "", std::nullopt, false},
                      VersionCase{"letters", "abc", std::nullopt, false},
                      VersionCase{"noMinorDigits", "2.", std::nullopt, false},
                      VersionCase{"noMajorDigits", ".8", std::nullopt, false},
                      VersionCase{"minorNotANumber", "2.x", std::nullopt, false},
                      VersionCase{"negative", "-2.8", std::nullopt, false},
                      VersionCase{"signed", "+2.8", std::nullopt, false},
                      VersionCase{"commaSeparated", "2,8", std::nullopt, false},
                      VersionCase{"tooLarge", "99999999999999999999.1", std::nullopt, false}),
    [](const auto& tc) { return std::string(tc.param.name); });

constexpr const char* kDownload =
    "Please download and install the required version from https://packages.debian.org/ and "
    "than run Orvel! Parabase again.";

TEST(DataAccessCheck, TheProjectsOwnLayerPasses) {
    EXPECT_EQ(jet::Connection::Version(), "2.8");
    EXPECT_EQ(wizard::CheckDataAccess(), std::nullopt);
}

TEST(DataAccessCheck, AnOldVersionEndsWithTheVersionBox) {
    const auto box = wizard::CheckDataAccess([] { return std::string("2.6"); });
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "ADO error");
    EXPECT_EQ(box->text,
              std::string("Orvel! Parabase requires Microsoft Data Access Components 2.7 or above "
                          "along with Jet 4.0 drivers. Your current version is : 2.6\r\n\r\n") +
                  kDownload + "\r\n\r\nOrvel! Parabase will now shut down.");
}

TEST(DataAccessCheck, AnUnreadableVersionIsShownAsItCame) {
    const auto box = wizard::CheckDataAccess([] { return std::string("unknown"); });
    ASSERT_TRUE(box);
    EXPECT_NE(box->text.find("Your current version is : unknown\r\n"), std::string::npos);
}

TEST(DataAccessCheck, AMissingLayerEndsWithTheMissingBox) {
    const auto box =
        wizard::CheckDataAccess([]() -> std::string { throw std::runtime_error("no layer"); });
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "ADO error");
    EXPECT_EQ(box->text,
              std::string("ADO could could not be found in your system!\r\n\r\nOrvel! Parabase "
                          "requires Microsoft Data Access Components 2.7 or above along with Jet "
                          "4.0 drivers.\r\n\r\n") +
                  kDownload + "\r\n\r\nOrvel! Parabase will now shut down.");
}

}  // namespace
