// The tool's printer report from a walked MIB given as snmprec lines
// ("oid|type|value", type 4x for hex octets): reading and rendering it never
// fails, and the JSON form always parses.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "render/render.h"

namespace {

using pmtool::Binding;

// hex text to octets; odd or non-hex characters end it.
std::string from_hex(const std::string& hex) {
    std::string octets;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = hex.substr(i, 2);
        const long byte = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0') break;
        octets.push_back(static_cast<char>(byte));
    }
    return octets;
}

bool parse_line(const std::string& line, Binding* out) {
    const std::size_t first = line.find('|');
    const std::size_t second = line.find('|', first == std::string::npos ? first : first + 1);
    if (second == std::string::npos) return false;
    const std::optional<pmtool::Oid> oid = pmtool::Oid::parse(line.substr(0, first));
    if (!oid) return false;
    out->oid = *oid;
    std::string type = line.substr(first + 1, second - first - 1);
    const std::string value = line.substr(second + 1);
    const bool hex = !type.empty() && type.back() == 'x';
    if (hex) type.pop_back();
    out->type = static_cast<pmc_long>(std::strtol(type.c_str(), nullptr, 10));
    if (out->type == PMS_TYPE_OCTET_STRING || out->type == PMS_TYPE_OPAQUE ||
        out->type == PMS_TYPE_IP_ADDRESS) {
        out->octets = hex ? from_hex(value) : value;
    } else if (out->type == PMS_TYPE_OID) {
        out->oid_value = pmtool::Oid::parse(value).value_or(pmtool::Oid());
    } else {
        out->number = std::strtoll(value.c_str(), nullptr, 10);
    }
    return true;
}

class RecordedMib : public pmtool::MibReader {
public:
    explicit RecordedMib(const std::string& text) {
        std::istringstream lines(text);
        std::string line;
        Binding binding;
        while (std::getline(lines, line))
            if (parse_line(line, &binding)) objects_[binding.oid] = binding;
    }

    pmc_long get(const pmtool::Oid& oid, Binding* out) override {
        const auto it = objects_.find(oid);
        if (it != objects_.end()) {
            *out = it->second;
        } else {
            out->oid = oid;
            out->type = PMS_TYPE_NO_SUCH_OBJECT;
        }
        return PMC_S_OK;
    }

    pmc_long walk(const pmtool::Oid& root, pmtool::Bindings* out) override {
        out->clear();
        // A subtree is one run of the sorted table, as an agent walks it.
        for (auto it = objects_.upper_bound(root); it != objects_.end() && it->first.is_below(root); ++it) {
            out->push_back(it->second);
        }
        return PMC_S_OK;
    }

private:
    // Keyed by the arcs, so the table is in SNMP order.
    std::map<pmtool::Oid, Binding> objects_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordedMib mib(std::string(reinterpret_cast<const char*>(data), size));
    pmtool::PrinterReport report;
    report.host = "127.0.0.1:161";
    if (pmtool::read_printer_report(mib, &report) != PMC_S_OK) std::abort();
    pmtool::render_report_text(report);
    const std::string json = pmtool::render_report_json(report);
    if (!nlohmann::json::accept(json)) std::abort();
    return 0;
}
