// What the history answers: pages per printer and period, days until each
// supply runs out at its recent rate, and what the fleet needs ordered.
#ifndef PMSNMP_TOOLS_HISTORY_REPORTS_H
#define PMSNMP_TOOLS_HISTORY_REPORTS_H

#include "alerts/alert_config.h"
#include "history/history_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pmtool {

enum class PeriodKind { kWhole, kMonth, kDay };

struct PagePeriod {
    std::string printer;
    std::string counter;  // "total", or a colour or mono counter
    std::int64_t start = 0;
    std::int64_t end = 0;  // exclusive
    std::uint64_t pages = 0;
};

// Pages printed in [since, until), cut into calendar periods (UTC).
std::vector<PagePeriod> page_report(HistoryStore& store, std::int64_t since, std::int64_t until, PeriodKind period);

// Pages between since and until from a counter's samples (oldest first),
// counting from the first sample when monitoring began later.
std::uint64_t pages_between(const std::vector<PageSample>& samples, std::int64_t since, std::int64_t until);

struct SupplyForecast {
    SupplySample latest;
    // Days from the latest sample until empty (a receptacle: full), at the
    // rate since the supply was last replaced; none without a falling trend.
    std::optional<double> days_left;
};

// The samples of one supply, oldest first, give its forecast.
SupplyForecast forecast_supply(const std::vector<SupplySample>& samples, int replaced_rise);
std::vector<SupplyForecast> supply_report(HistoryStore& store, std::int64_t now, int window_days, int replaced_rise);

struct OrderLine {
    std::string item;  // the supply's description, which names its part where the printer says
    std::vector<std::string> printers;
};

// Supplies low or nearly full now, or due within the given days, grouped
// by what to order.
std::vector<OrderLine> order_list(const std::vector<SupplyForecast>& forecasts, const AlertConfig& config,
                                  double within_days);

}  // namespace pmtool

#endif
