#include "render/binding_format.h"

#include "render/safe_text.h"

#include <cctype>
#include <cstdio>

namespace pmtool {

namespace {

bool is_printable(const std::string& octets) {
    for (const char c : octets) {
        const int u = static_cast<unsigned char>(c);
        if (!std::isprint(u) && !std::isspace(u)) return false;
    }
    return true;
}

// Sixteen octets to a line, as Net-SNMP prints them.
std::string hex_octets(const std::string& octets, bool wrap = true) {
    std::string out;
    char piece[4];
    for (std::size_t i = 0; i < octets.size(); ++i) {
        if (wrap && i > 0 && i % 16 == 0) out += '\n';
        std::snprintf(piece, sizeof piece, "%02X ", static_cast<unsigned char>(octets[i]));
        out += piece;
    }
    return out;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string ip_text(const std::string& octets) {
    std::string out;
    for (std::size_t i = 0; i < octets.size(); ++i)
        out += (i ? "." : "") + std::to_string(static_cast<unsigned char>(octets[i]));
    return out;
}

const char* type_label(const Binding& binding) {
    switch (binding.type) {
    case PMS_TYPE_INTEGER: return "INTEGER";
    case PMS_TYPE_OCTET_STRING: return is_printable(binding.octets) ? "STRING" : "Hex-STRING";
    case PMS_TYPE_NULL: return "NULL";
    case PMS_TYPE_OID: return "OID";
    case PMS_TYPE_IP_ADDRESS: return "IpAddress";
    case PMS_TYPE_COUNTER32: return "Counter32";
    case PMS_TYPE_GAUGE32: return "Gauge32";
    case PMS_TYPE_TIME_TICKS: return "Timeticks";
    case PMS_TYPE_OPAQUE: return "OPAQUE";
    case PMS_TYPE_COUNTER64: return "Counter64";
    case PMS_TYPE_NO_SUCH_OBJECT: return "noSuchObject";
    case PMS_TYPE_NO_SUCH_INSTANCE: return "noSuchInstance";
    case PMS_TYPE_END_OF_MIB_VIEW: return "endOfMibView";
    default: return "Wrong Type";
    }
}

}  // namespace

std::string format_time_ticks(std::uint32_t ticks) {
    const std::uint32_t centis = ticks % 100;
    const std::uint32_t seconds = (ticks / 100) % 60;
    const std::uint32_t minutes = (ticks / 6000) % 60;
    const std::uint32_t hours = (ticks / 360000) % 24;
    const std::uint32_t days = ticks / 8640000;
    char text[96];
    if (days == 0) {
        std::snprintf(text, sizeof text, "(%u) %u:%02u:%02u.%02u", ticks, hours, minutes, seconds, centis);
    } else {
        std::snprintf(text, sizeof text, "(%u) %u day%s, %u:%02u:%02u.%02u", ticks, days, days == 1 ? "" : "s",
                      hours, minutes, seconds, centis);
    }
    return text;
}

std::string format_value(const Binding& binding) {
    const std::string label = type_label(binding);
    switch (binding.type) {
    case PMS_TYPE_OCTET_STRING:
        if (binding.octets.empty()) return "\"\"";
        return label == "STRING" ? label + ": " + quoted(binding.octets) : label + ": " + hex_octets(binding.octets);
    case PMS_TYPE_OPAQUE:
        return label + ": " + hex_octets(binding.octets);
    case PMS_TYPE_NULL:
        return label;
    case PMS_TYPE_OID:
        return label + ": ." + binding.oid_value.text();
    case PMS_TYPE_IP_ADDRESS:
        return label + ": " + ip_text(binding.octets);
    case PMS_TYPE_TIME_TICKS:
        return label + ": " + format_time_ticks(static_cast<std::uint32_t>(binding.number));
    case PMS_TYPE_NO_SUCH_OBJECT:
        return "No Such Object available on this agent at this OID";
    case PMS_TYPE_NO_SUCH_INSTANCE:
        return "No Such Instance currently exists at this OID";
    case PMS_TYPE_END_OF_MIB_VIEW:
        return "No more variables left in this MIB View (It is past the end of the MIB tree)";
    case PMS_TYPE_COUNTER64:
        return label + ": " + std::to_string(static_cast<std::uint64_t>(binding.number));
    default:
        if (binding.is_numeric()) return label + ": " + std::to_string(binding.number);
        return label;
    }
}

std::string format_binding(const Binding& binding) {
    return "." + binding.oid.text() + " = " + format_value(binding);
}

namespace {

// The reason texts snmpget prints for each error status, so that both tools
// say the same; the tool stays on our own library.
const char* error_reason(pmc_long status) {
    static const char* const reasons[] = {
        "(noError) No Error",
        "(tooBig) Response message would have been too large.",
        "(noSuchName) There is no such variable name in this MIB.",
        "(badValue) The value given has the wrong type or length.",
        "(readOnly) The two parties used do not have access to use the specified SNMP PDU.",
        "(genError) A general failure occured",
        "noAccess",
        "wrongType (The set datatype does not match the data type the agent expects)",
        "wrongLength (The set value has an illegal length from what the agent expects)",
        "wrongEncoding",
        "wrongValue (The set value is illegal or unsupported in some way)",
        "noCreation (That table does not support row creation or that object can not ever be created)",
        "inconsistentValue (The set value is illegal or unsupported in some way)",
        "resourceUnavailable (This is likely a out-of-memory failure within the agent)",
        "commitFailed",
        "undoFailed",
        "authorizationError (access denied to that object)",
        "notWritable (That object does not support modification)",
        "inconsistentName (That object can not currently be created)",
    };
    const pmc_long count = static_cast<pmc_long>(sizeof reasons / sizeof reasons[0]);
    return status >= 0 && status < count ? reasons[status] : "Unknown Error";
}

}  // namespace

std::string format_agent_error(const AgentError& error) {
    std::string text = std::string("Error in packet\nReason: ") + error_reason(error.status) + "\n";
    if (!error.oid.empty()) text += "Failed object: ." + error.oid.text() + "\n\n";
    return text;
}

std::string bindings_json(const Bindings& bindings) {
    using Json = nlohmann::ordered_json;
    Json rows = Json::array();
    for (const Binding& binding : bindings) {
        Json row;
        row["oid"] = "." + binding.oid.text();
        row["type"] = type_label(binding);
        if (binding.type == PMS_TYPE_COUNTER64) {
            row["value"] = static_cast<std::uint64_t>(binding.number);
        } else if (binding.is_numeric()) {
            row["value"] = binding.number;
        } else if (binding.type == PMS_TYPE_OCTET_STRING && is_printable(binding.octets)) {
            row["value"] = binding.octets;
        } else if (binding.type == PMS_TYPE_OCTET_STRING || binding.type == PMS_TYPE_OPAQUE) {
            std::string hex = hex_octets(binding.octets, false);
            if (!hex.empty()) hex.pop_back();
            row["value"] = hex;
        } else if (binding.type == PMS_TYPE_OID) {
            row["value"] = "." + binding.oid_value.text();
        } else if (binding.type == PMS_TYPE_IP_ADDRESS) {
            row["value"] = ip_text(binding.octets);
        } else {
            row["value"] = nullptr;
        }
        rows.push_back(std::move(row));
    }
    return json_text(rows) + "\n";
}

}  // namespace pmtool
