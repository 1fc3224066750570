// One line per printer for pmsnmp status --summary: host, model, device and
// printer status, error conditions, the lowest supply level, page count.
#ifndef PMSNMP_TOOLS_SUMMARY_LINE_H
#define PMSNMP_TOOLS_SUMMARY_LINE_H

#include "printer/host_outcome.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace pmtool {

// The consumable with the least left, by percent; receptacles and levels
// without a capacity do not count.
const Supply* lowest_supply(const PrinterReport& report);

// "HOST  MODEL  device=… printer=…  errors=…  lowest=…  pages=…", or
// "HOST  failed: REASON".
std::string summary_line(const HostOutcome& outcome);

// The same fields as JSON; absent ones are null.
nlohmann::json summary_json(const HostOutcome& outcome);

}  // namespace pmtool

#endif
