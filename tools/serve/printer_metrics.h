// What pmsnmp serve tells Prometheus about printers: the families of
// /metrics and of /probe, built from the monitor's snapshots.
#ifndef PMSNMP_TOOLS_SERVE_PRINTER_METRICS_H
#define PMSNMP_TOOLS_SERVE_PRINTER_METRICS_H

#include "serve/fleet_monitor.h"

#include <string>
#include <vector>

namespace pmtool {

// ok, low, empty, nearly_full, full, some_remaining or unknown; a
// receptacle is "nearly_full" from kNearlyFullPercent.
constexpr int kNearlyFullPercent = 90;
std::string supply_state(const Supply& supply, int low_percent);

// Every printer's series (a sleeping one keeps its last values) and the
// server's own.
std::string fleet_metrics(const std::vector<PrinterSnapshot>& printers, const MonitorStats& stats, int low_percent);

// One printer's series, as one poll found them.
std::string probe_metrics(const PrinterSnapshot& printer, int low_percent);

// The printer's model as people name it: device, printer, or system text.
std::string printer_model(const PrinterReport& report);

}  // namespace pmtool

#endif
