// The dashboard of pmsnmp serve: one page with every printer, lowest
// supply first, and a page per printer. Everything is inline: the pages
// load nothing, from here or elsewhere.
#ifndef PMSNMP_TOOLS_SERVE_DASHBOARD_H
#define PMSNMP_TOOLS_SERVE_DASHBOARD_H

#include "serve/fleet_monitor.h"

#include <string>
#include <vector>

namespace pmtool {

std::string dashboard_page(std::vector<PrinterSnapshot> printers, WallClock::time_point now, int low_percent);

std::string printer_page(const PrinterSnapshot& printer, WallClock::time_point now, int low_percent);

// "&", "<", ">", '"' and "'" as entities, after safe_text.
std::string html_text(const std::string& text);

// "5 s", "3 min", "2 h", "4 d"; "never" without a time.
std::string age_text(const std::optional<WallClock::time_point>& then, WallClock::time_point now);

}  // namespace pmtool

#endif
