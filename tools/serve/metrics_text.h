// A writer of the Prometheus text exposition format, version 0.0.4: every
// family's HELP and TYPE, then its samples together.
#ifndef PMSNMP_TOOLS_SERVE_METRICS_TEXT_H
#define PMSNMP_TOOLS_SERVE_METRICS_TEXT_H

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pmtool {

constexpr const char* kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

using MetricLabels = std::vector<std::pair<std::string, std::string>>;

class MetricsText {
public:
    // Families come out in the order declared; type is "gauge" or "counter".
    void family(const std::string& name, const char* type, const char* help);
    // A sample of a declared family; label values are escaped here.
    void sample(const std::string& name, const MetricLabels& labels, double value);
    std::string text() const;

private:
    struct Family {
        std::string head;
        std::string samples;
    };
    std::vector<Family> families_;
    std::map<std::string, std::size_t> index_;
};

// Backslash, double quote and line feed escaped as the format requires.
std::string escape_label_value(const std::string& value);

}  // namespace pmtool

#endif
