#include "serve/metrics_text.h"

#include <cmath>
#include <cstdio>

namespace pmtool {

namespace {

// Integers as integers (page counts reach beyond what %g keeps), the rest
// with enough digits to read back the same double.
std::string format_value(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
    char text[32];
    if (std::fabs(value) < 1e15 && value == std::floor(value))
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

}  // namespace

std::string escape_label_value(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

void MetricsText::family(const std::string& name, const char* type, const char* help) {
    if (index_.count(name) != 0) return;
    index_[name] = families_.size();
    families_.push_back({"# HELP " + name + " " + help + "\n# TYPE " + name + " " + type + "\n", std::string()});
}

void MetricsText::sample(const std::string& name, const MetricLabels& labels, double value) {
    const auto it = index_.find(name);
    if (it == index_.end()) return;
    std::string& out = families_[it->second].samples;
    out += name;
    if (!labels.empty()) {
        out += '{';
        for (std::size_t i = 0; i < labels.size(); ++i) {
            if (i > 0) out += ',';
            out += labels[i].first + "=\"" + escape_label_value(labels[i].second) + '"';
        }
        out += '}';
    }
    out += ' ' + format_value(value) + '\n';
}

std::string MetricsText::text() const {
    std::string out;
    for (const Family& family : families_) out += family.head + family.samples;
    return out;
}

}  // namespace pmtool
