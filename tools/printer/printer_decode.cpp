#include "printer/printer_decode.h"

#include "printer/printer_mib.h"

#include <algorithm>
#include <array>
#include <limits>

namespace pmtool {

std::vector<std::string> decode_error_state(const std::string& octets) {
    static const std::array<const char*, 15> names = {
        "lowPaper",         "noPaper",           "lowToner",
        "noToner",          "doorOpen",          "jammed",
        "offline",          "serviceRequested",  "inputTrayMissing",
        "outputTrayMissing", "markerSupplyMissing", "outputNearFull",
        "outputFull",       "inputTrayEmpty",    "overduePreventMaint"};
    std::vector<std::string> conditions;
    for (std::size_t byte = 0; byte < octets.size(); ++byte) {
        const unsigned value = static_cast<unsigned char>(octets[byte]);
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((value & (0x80u >> bit)) == 0) continue;
            const std::size_t number = byte * 8 + bit;
            conditions.push_back(number < names.size() ? std::string(names[number])
                                                       : "bit" + std::to_string(number));
        }
    }
    return conditions;
}

LevelReading read_level(std::optional<long> level, std::optional<long> max_capacity,
                        bool receptacle) {
    LevelReading reading;
    reading.receptacle = receptacle;
    if (!level) return reading;
    reading.raw = *level;
    if (*level == mib::kLevelOther) {
        reading.kind = LevelKind::kOther;
    } else if (*level == mib::kLevelSomeRemaining) {
        reading.kind = LevelKind::kSomeRemaining;
    } else if (*level < 0) {
        reading.kind = LevelKind::kUnknown;
    } else if (max_capacity && *max_capacity > 0) {
        long long capacity = *max_capacity;
        const long long left = std::min<long long>(*level, capacity);
        long long shown = receptacle ? capacity - left : left;
        // Round to the nearest percent without floating point; agents that
        // send 64-bit sized levels are scaled down first so that shown * 200
        // cannot overflow (the lost low bits do not move the percent).
        constexpr long long kLargestScalable = std::numeric_limits<long long>::max() / 201;
        while (capacity > kLargestScalable) {
            capacity >>= 1;
            shown >>= 1;
        }
        reading.percent = static_cast<int>((shown * 200 + capacity) / (2 * capacity));
        reading.kind = LevelKind::kPercent;
    } else {
        reading.kind = LevelKind::kRaw;
    }
    return reading;
}

std::string level_text(const LevelReading& reading) {
    switch (reading.kind) {
    case LevelKind::kAbsent:
        return "absent";
    case LevelKind::kPercent:
        return std::to_string(reading.percent) + (reading.receptacle ? "% full" : "%");
    case LevelKind::kRaw:
        if (reading.raw == 0) return reading.receptacle ? "full" : "empty";
        return (reading.receptacle ? "room for " : "level ") + std::to_string(reading.raw) +
               " (capacity unknown)";
    case LevelKind::kOther:
        return "other";
    case LevelKind::kUnknown:
        return "unknown";
    case LevelKind::kSomeRemaining:
        return reading.receptacle ? "not full" : "some remaining";
    }
    return "unknown";
}

std::string level_kind_name(LevelKind kind) {
    switch (kind) {
    case LevelKind::kAbsent:
        return "absent";
    case LevelKind::kPercent:
        return "percent";
    case LevelKind::kRaw:
        return "raw";
    case LevelKind::kOther:
        return "other";
    case LevelKind::kUnknown:
        return "unknown";
    case LevelKind::kSomeRemaining:
        return "some_remaining";
    }
    return "unknown";
}

}  // namespace pmtool
