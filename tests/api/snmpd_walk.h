// Reading `snmpwalk -On` output of the Net-SNMP tools into comparable
// entries, and the same view of a walk's response PDUs.
#ifndef PMSNMP_TESTS_API_SNMPD_WALK_H
#define PMSNMP_TESTS_API_SNMPD_WALK_H

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <pmsnmp/pmsnmp.h>

#include "support/text_of.h"

namespace pmstest {

struct WalkEntry {
    std::string oid;     // without the leading dot
    pmc_long type = -1;  // our type code
    std::string value;   // the comparable text, empty when not comparable
    bool comparable = false;
    bool hex = false;    // value holds "HH HH ... " (the tool's Hex-STRING)
};

inline pmc_long type_of_label(const std::string& label) {
    if (label == "INTEGER") return PMS_TYPE_INTEGER;
    if (label == "STRING" || label == "Hex-STRING" || label.empty()) return PMS_TYPE_OCTET_STRING;
    if (label == "OID") return PMS_TYPE_OID;
    if (label == "Timeticks") return PMS_TYPE_TIME_TICKS;
    if (label == "Counter32") return PMS_TYPE_COUNTER32;
    if (label == "Gauge32") return PMS_TYPE_GAUGE32;
    if (label == "IpAddress") return PMS_TYPE_IP_ADDRESS;
    if (label == "Counter64") return PMS_TYPE_COUNTER64;
    if (label == "Opaque") return PMS_TYPE_OPAQUE;
    return -1;
}

inline std::string hex_of(const unsigned char* data, pmc_ulong length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (pmc_ulong i = 0; i < length; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0xF];
        out += ' ';
    }
    return out;
}

// Values of counters, gauges and time ticks move between two walks; the
// others must match exactly.
inline void fill_value(WalkEntry* entry, const std::string& label, std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (entry->type == PMS_TYPE_INTEGER || entry->type == PMS_TYPE_IP_ADDRESS) {
        entry->value = text;
        entry->comparable = true;
    } else if (entry->type == PMS_TYPE_OID) {
        entry->value = text.rfind('.', 0) == 0 ? text.substr(1) : text;
        entry->comparable = true;
    } else if (label == "Hex-STRING") {
        std::istringstream in(text);
        std::string pair, out;
        while (in >> pair) out += pair + ' ';
        entry->value = out;
        entry->comparable = true;
        entry->hex = true;
    } else if (entry->type == PMS_TYPE_OCTET_STRING) {
        // Quoted, and escaped only when it holds quotes or backslashes.
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"' &&
            text.find('\\') == std::string::npos) {
            entry->value = text.substr(1, text.size() - 2);
            entry->comparable = true;
        }
    }
}

inline std::vector<WalkEntry> parse_snmpwalk(const std::string& output) {
    std::vector<WalkEntry> entries;
    std::vector<std::string> raw;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(".1.", 0) == 0 && line.find(" = ") != std::string::npos) {
            raw.push_back(line);
        } else if (!raw.empty()) {
            raw.back() += "\n" + line;  // a value that spans lines
        }
    }
    for (const std::string& text : raw) {
        WalkEntry entry;
        const std::size_t eq = text.find(" = ");
        entry.oid = text.substr(1, eq - 1);
        std::string rest = text.substr(eq + 3);
        std::string label;
        const std::size_t colon = rest.find(": ");
        if (rest != "\"\"" && colon != std::string::npos) {
            label = rest.substr(0, colon);
            rest = rest.substr(colon + 2);
        }
        entry.type = type_of_label(label);
        fill_value(&entry, label, rest);
        entries.push_back(entry);
    }
    return entries;
}

// A binding in the form of parse_snmpwalk.
inline WalkEntry entry_of(IPmsVarBind* binding) {
    WalkEntry entry;
    if (binding == nullptr || binding->get_oid() == nullptr || binding->get_value() == nullptr) {
        return entry;
    }
    entry.oid = text_of(binding->get_oid());
    const IPmsValue* value = binding->get_value();
    entry.type = value->get_type();
    if (entry.type == PMS_TYPE_OCTET_STRING) {
        pmc_ulong length = 0;
        const unsigned char* data = value->get_bytes(&length, nullptr);
        entry.value = std::string(reinterpret_cast<const char*>(data), length);
        entry.comparable = true;
    } else {
        entry.value = text_of(value);
        entry.comparable = true;
    }
    return entry;
}

// The first binding of a response PDU.
inline WalkEntry entry_of(IPmsPdu* pdu) {
    IPmsVarBindList* list = pdu->get_varbind_list();
    return entry_of(list != nullptr ? list->get_at(0) : nullptr);
}

// Equal names and types; values equal where the tool's text can be
// compared (octet strings against its text or its hexadecimal form).
inline bool same_entry(const WalkEntry& ours, const WalkEntry& tool, std::string* why) {
    if (ours.oid != tool.oid || ours.type != tool.type) {
        *why = "ours " + ours.oid + " type " + std::to_string(ours.type) + ", tool " + tool.oid +
               " type " + std::to_string(tool.type);
        return false;
    }
    if (!tool.comparable) return true;
    const std::string mine =
        tool.hex ? hex_of(reinterpret_cast<const unsigned char*>(ours.value.data()),
                          static_cast<pmc_ulong>(ours.value.size()))
                 : ours.value;
    if (mine != tool.value) {
        *why = ours.oid + ": ours \"" + mine + "\", tool \"" + tool.value + "\"";
        return false;
    }
    return true;
}

}  // namespace pmstest

#endif
