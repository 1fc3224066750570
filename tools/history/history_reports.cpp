#include "history/history_reports.h"

#include "render/render.h"
#include "render/safe_text.h"

#include <algorithm>
#include <ctime>
#include <map>

namespace pmtool {

namespace {

constexpr double kSecondsPerDay = 86400.0;

std::int64_t period_start(std::int64_t time, PeriodKind period) {
    const std::time_t seconds = static_cast<std::time_t>(time);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    parts.tm_hour = parts.tm_min = parts.tm_sec = 0;
    if (period == PeriodKind::kMonth) parts.tm_mday = 1;
    return static_cast<std::int64_t>(timegm(&parts));
}

std::int64_t next_period(std::int64_t start, PeriodKind period) {
    const std::time_t seconds = static_cast<std::time_t>(start);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    if (period == PeriodKind::kMonth)
        ++parts.tm_mon;
    else
        ++parts.tm_mday;
    return static_cast<std::int64_t>(timegm(&parts));
}

std::vector<std::pair<std::int64_t, std::int64_t>> periods(std::int64_t since, std::int64_t until, PeriodKind period) {
    if (period == PeriodKind::kWhole) return {{since, until}};
    std::vector<std::pair<std::int64_t, std::int64_t>> spans;
    for (std::int64_t start = since; start < until;) {
        const std::int64_t end = std::min(until, next_period(period_start(start, period), period));
        if (end <= start) break;
        spans.emplace_back(start, end);
        start = end;
    }
    return spans;
}

// The running total at time: the last sample's at or before it; before the
// first sample, the first sample's (nothing counted yet).
std::uint64_t total_at(const std::vector<PageSample>& samples, std::int64_t time) {
    const auto after = std::upper_bound(samples.begin(), samples.end(), time,
                                        [](std::int64_t t, const PageSample& sample) { return t < sample.time; });
    return after == samples.begin() ? samples.front().total : std::prev(after)->total;
}

// Least squares over (days, percent).
std::optional<double> slope_per_day(const std::vector<SupplySample>& samples, std::size_t first) {
    const std::size_t count = samples.size() - first;
    if (count < 2) return std::nullopt;
    const double origin = static_cast<double>(samples[first].time);
    double sum_x = 0, sum_y = 0, sum_xx = 0, sum_xy = 0;
    for (std::size_t i = first; i < samples.size(); ++i) {
        const double x = (static_cast<double>(samples[i].time) - origin) / kSecondsPerDay;
        const double y = samples[i].percent;
        sum_x += x;
        sum_y += y;
        sum_xx += x * x;
        sum_xy += x * y;
    }
    const double n = static_cast<double>(count);
    const double spread = n * sum_xx - sum_x * sum_x;
    if (spread <= 0) return std::nullopt;
    return (n * sum_xy - sum_x * sum_y) / spread;
}

bool due(const SupplyForecast& forecast, const AlertConfig& config, double within_days) {
    const SupplySample& latest = forecast.latest;
    if (forecast.days_left && *forecast.days_left <= within_days) return true;
    if (latest.receptacle) return latest.percent >= config.nearly_full_percent;
    return latest.percent <= low_threshold(config, latest.type ? std::optional<long>(*latest.type) : std::nullopt);
}

}  // namespace

std::uint64_t pages_between(const std::vector<PageSample>& samples, std::int64_t since, std::int64_t until) {
    if (samples.empty() || samples.front().time >= until) return 0;
    const std::uint64_t end = total_at(samples, until - 1);
    const std::uint64_t start = total_at(samples, since - 1);
    return end > start ? end - start : 0;
}

std::vector<PagePeriod> page_report(HistoryStore& store, std::int64_t since, std::int64_t until, PeriodKind period) {
    std::vector<PagePeriod> rows;
    for (const std::string& printer : store.printers()) {
        for (const std::string& counter : store.page_counters(printer)) {
            const std::vector<PageSample> samples = store.page_samples(printer, counter, until);
            if (samples.empty()) continue;
            for (const auto& [start, end] : periods(since, until, period))
                rows.push_back(PagePeriod{printer, counter, start, end, pages_between(samples, start, end)});
        }
    }
    return rows;
}

SupplyForecast forecast_supply(const std::vector<SupplySample>& samples, int replaced_rise) {
    SupplyForecast forecast;
    if (samples.empty()) return forecast;
    forecast.latest = samples.back();
    const bool receptacle = forecast.latest.receptacle;
    // The trend starts after the last replacement.
    std::size_t first = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const int change = samples[i].percent - samples[i - 1].percent;
        if ((receptacle ? -change : change) >= replaced_rise) first = i;
    }
    const std::optional<double> slope = slope_per_day(samples, first);
    if (!slope) return forecast;
    const double toward_end = receptacle ? *slope : -*slope;
    if (toward_end <= 0) return forecast;
    const double room = receptacle ? 100.0 - forecast.latest.percent : forecast.latest.percent;
    forecast.days_left = std::max(0.0, room / toward_end);
    return forecast;
}

std::vector<SupplyForecast> supply_report(HistoryStore& store, std::int64_t now, int window_days, int replaced_rise) {
    const std::vector<SupplySample> samples =
        store.supply_samples(now - static_cast<std::int64_t>(window_days) * 86400, now);
    std::vector<SupplyForecast> forecasts;
    for (auto begin = samples.begin(); begin != samples.end();) {
        const auto end = std::find_if(begin, samples.end(), [&begin](const SupplySample& sample) {
            return sample.printer != begin->printer || sample.supply != begin->supply;
        });
        forecasts.push_back(forecast_supply(std::vector<SupplySample>(begin, end), replaced_rise));
        begin = end;
    }
    return forecasts;
}

std::vector<OrderLine> order_list(const std::vector<SupplyForecast>& forecasts, const AlertConfig& config,
                                  double within_days) {
    std::map<std::string, std::vector<std::string>> items;
    for (const SupplyForecast& forecast : forecasts) {
        if (!due(forecast, config, within_days)) continue;
        std::string item = safe_text(forecast.latest.description);
        if (item.empty()) item = "supply " + forecast.latest.supply;
        items[item].push_back(safe_text(forecast.latest.printer));
    }
    std::vector<OrderLine> lines;
    for (auto& [item, printers] : items) lines.push_back(OrderLine{item, std::move(printers)});
    return lines;
}

}  // namespace pmtool
