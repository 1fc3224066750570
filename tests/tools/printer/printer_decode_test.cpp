#include "printer/printer_decode.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

using pmtool::decode_error_state;
using pmtool::LevelKind;
using pmtool::level_text;
using pmtool::read_level;

using Names = std::vector<std::string>;

// Bit 0 is the most significant bit of the first octet.
TEST(ErrorState, DecodesEachBitInRfcOrder) {
    const struct {
        std::string octets;
        Names conditions;
    } cases[] = {
        {"", {}},
        {std::string(1, '\0'), {}},
        {"\x80", {"lowPaper"}},
        {"\x40", {"noPaper"}},
        {std::string("\x20\x00", 2), {"lowToner"}},
        {"\x10", {"noToner"}},
        {"\x08", {"doorOpen"}},
        {"\x04", {"jammed"}},
        {"\x02", {"offline"}},
        {"\x01", {"serviceRequested"}},
        {std::string("\x00\x80", 2), {"inputTrayMissing"}},
        {std::string("\x00\x40", 2), {"outputTrayMissing"}},
        {std::string("\x00\x20", 2), {"markerSupplyMissing"}},
        {std::string("\x00\x10", 2), {"outputNearFull"}},
        {std::string("\x00\x08", 2), {"outputFull"}},
        {std::string("\x00\x04", 2), {"inputTrayEmpty"}},
        {std::string("\x00\x02", 2), {"overduePreventMaint"}},
        {std::string("\x00\x01", 2), {"bit15"}},
        {std::string("\x00\x00\x80", 3), {"bit16"}},
        {"\x20\x80", {"lowToner", "inputTrayMissing"}},
        {"\x0C", {"doorOpen", "jammed"}},
    };
    for (const auto& c : cases) EXPECT_EQ(decode_error_state(c.octets), c.conditions) << c.octets.size();
}

TEST(ErrorState, AllDefinedBitsInOrder) {
    const Names all = decode_error_state("\xff\xfe");
    ASSERT_EQ(all.size(), 15u);
    EXPECT_EQ(all.front(), "lowPaper");
    EXPECT_EQ(all[7], "serviceRequested");
    EXPECT_EQ(all.back(), "overduePreventMaint");
}

struct LevelCase {
    std::optional<long> level;
    std::optional<long> max;
    LevelKind kind;
    int percent;  // checked for kPercent only
    std::string text;
};

constexpr long kHuge = std::numeric_limits<long>::max();

void expect_readings(const std::vector<LevelCase>& cases, bool receptacle) {
    for (const LevelCase& c : cases) {
        const pmtool::LevelReading reading = read_level(c.level, c.max, receptacle);
        EXPECT_EQ(reading.receptacle, receptacle) << c.text;
        EXPECT_EQ(reading.kind, c.kind) << c.text;
        if (c.kind == LevelKind::kPercent) {
            EXPECT_EQ(reading.percent, c.percent) << c.text;
        }
        EXPECT_EQ(level_text(reading), c.text);
    }
}

TEST(SupplyLevel, ConsumablesShowWhatIsLeft) {
    expect_readings(
        {
            {55, 100, LevelKind::kPercent, 55, "55%"},
            {0, 100, LevelKind::kPercent, 0, "0%"},
            {1060, 5300, LevelKind::kPercent, 20, "20%"},
            {1, 3, LevelKind::kPercent, 33, "33%"},
            {2, 3, LevelKind::kPercent, 67, "67%"},
            {150, 100, LevelKind::kPercent, 100, "100%"},  // over capacity: full, not 150%
            {-1, 100, LevelKind::kOther, 0, "other"},
            {-2, 100, LevelKind::kUnknown, 0, "unknown"},
            {-3, -2, LevelKind::kSomeRemaining, 0, "some remaining"},
            {-7, 100, LevelKind::kUnknown, 0, "unknown"},
            {40, -2, LevelKind::kRaw, 0, "level 40 (capacity unknown)"},
            {40, 0, LevelKind::kRaw, 0, "level 40 (capacity unknown)"},
            {0, -2, LevelKind::kRaw, 0, "empty"},
            {std::nullopt, 100, LevelKind::kAbsent, 0, "absent"},
            {30, std::nullopt, LevelKind::kRaw, 0, "level 30 (capacity unknown)"},
            // Levels wider than Integer32, from agents that send them, must not overflow.
            {432000, kHuge, LevelKind::kPercent, 0, "0%"},
            {kHuge / 2, kHuge, LevelKind::kPercent, 50, "50%"},
            {kHuge, kHuge, LevelKind::kPercent, 100, "100%"},
        },
        false);
}

// A receptacle's level is the room left, so it is full when the level is 0.
TEST(SupplyLevel, ReceptaclesShowHowFullTheyAre) {
    expect_readings(
        {
            {30, 100, LevelKind::kPercent, 70, "70% full"},
            {100, 100, LevelKind::kPercent, 0, "0% full"},
            {0, 100, LevelKind::kPercent, 100, "100% full"},
            {5, 20, LevelKind::kPercent, 75, "75% full"},
            {-3, 100, LevelKind::kSomeRemaining, 0, "not full"},
            {0, -2, LevelKind::kRaw, 0, "full"},
            {100, -2, LevelKind::kRaw, 0, "room for 100 (capacity unknown)"},
            {432000, kHuge, LevelKind::kPercent, 100, "100% full"},
        },
        true);
}

// The JSON report's "state" values: scripts read them.
TEST(SupplyLevel, KindNamesAreStable) {
    const struct {
        LevelKind kind;
        const char* name;
    } cases[] = {
        {LevelKind::kAbsent, "absent"},   {LevelKind::kPercent, "percent"},
        {LevelKind::kRaw, "raw"},         {LevelKind::kOther, "other"},
        {LevelKind::kUnknown, "unknown"}, {LevelKind::kSomeRemaining, "some_remaining"},
    };
    for (const auto& c : cases) EXPECT_EQ(pmtool::level_kind_name(c.kind), c.name);
}

}  // namespace
