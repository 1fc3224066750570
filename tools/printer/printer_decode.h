// Interpreting printer objects: the detected-error-state bit string and
// the capacity/level pairs of supplies and input trays.
#ifndef PMSNMP_TOOLS_PRINTER_DECODE_H
#define PMSNMP_TOOLS_PRINTER_DECODE_H

#include <optional>
#include <string>
#include <vector>

namespace pmtool {

// The conditions set in hrPrinterDetectedErrorState, in bit order. Bit 0 is
// the most significant bit of the first octet (RFC 2790; bits 8 to 14 from
// RFC 3805). Bits without a name come out as "bitN".
std::vector<std::string> decode_error_state(const std::string& octets);

enum class LevelKind {
    kAbsent,         // no level object
    kPercent,        // level and a positive capacity
    kRaw,            // a level without a usable capacity
    kOther,          // -1
    kUnknown,        // -2, or a negative value with no meaning
    kSomeRemaining,  // -3: at least one unit remains (a receptacle: not full)
};

struct LevelReading {
    LevelKind kind = LevelKind::kAbsent;
    bool receptacle = false;  // fills up as it is used (waste toner and the like)
    // kPercent: how much is left of a supply, how full a receptacle is; 0..100.
    int percent = 0;
    long raw = 0;  // the level as reported
};

// A supply level is "what is left" for a consumable and "space that is
// left" for a receptacle (RFC 3805 prtMarkerSuppliesLevel), so a
// receptacle's fullness is (capacity - level) / capacity.
LevelReading read_level(std::optional<long> level, std::optional<long> max_capacity,
                        bool receptacle);

// A short description: "55%", "80% full", "some remaining", "unknown", ...
std::string level_text(const LevelReading& reading);

// A stable machine name for JSON: "percent", "raw", "other", "unknown",
// "some_remaining", "absent".
std::string level_kind_name(LevelKind kind);

}  // namespace pmtool

#endif
