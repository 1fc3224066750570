// Turning a printer report into what the user reads: a terminal page or a
// JSON document of stable shape.
#ifndef PMSNMP_TOOLS_RENDER_H
#define PMSNMP_TOOLS_RENDER_H

#include "printer/printer_status.h"

#include <nlohmann/json_fwd.hpp>

#include <string>

namespace pmtool {

constexpr int kBarWidth = 20;

// "[########------------]": filled in proportion to percent (0..100).
std::string percent_bar(int percent, int width = kBarWidth);

std::string render_report_text(const PrinterReport& report);

// The same content as a JSON document; absent objects are null, empty
// tables [].
nlohmann::ordered_json report_document(const PrinterReport& report);
// That document as text.
std::string render_report_json(const PrinterReport& report);

}  // namespace pmtool

#endif
