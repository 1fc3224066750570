#include "agent/binding.h"

#include <cstdlib>

namespace pmtool {

std::string strip_dot(const std::string& text) {
    return (!text.empty() && text[0] == '.') ? text.substr(1) : text;
}

std::vector<unsigned long> oid_arcs(const std::string& text) {
    std::vector<unsigned long> arcs;
    const std::string s = strip_dot(text);
    std::size_t start = 0;
    while (start < s.size()) {
        std::size_t end = s.find('.', start);
        if (end == std::string::npos) end = s.size();
        arcs.push_back(std::strtoul(s.substr(start, end - start).c_str(), nullptr, 10));
        start = end + 1;
    }
    return arcs;
}

bool oid_is_below(const std::string& oid, const std::string& root) {
    const std::string a = strip_dot(oid);
    const std::string r = strip_dot(root);
    return a.size() > r.size() + 1 && a.compare(0, r.size(), r) == 0 && a[r.size()] == '.';
}

std::string oid_suffix(const std::string& oid, const std::string& root) {
    if (!oid_is_below(oid, root)) return std::string();
    return strip_dot(oid).substr(strip_dot(root).size() + 1);
}

int compare_oids(const std::string& a, const std::string& b) {
    const std::vector<unsigned long> x = oid_arcs(a);
    const std::vector<unsigned long> y = oid_arcs(b);
    if (x == y) return 0;
    return x < y ? -1 : 1;
}

std::string normalize_oid(const std::string& text) {
    const std::string s = strip_dot(text);
    std::size_t arcs = 0;
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t end = s.find('.', start);
        if (end == std::string::npos) end = s.size();
        const std::string arc = s.substr(start, end - start);
        if (arc.empty() || arc.size() > 10 || arc.find_first_not_of("0123456789") != std::string::npos)
            return std::string();
        if (std::strtoull(arc.c_str(), nullptr, 10) > 0xFFFFFFFFull) return std::string();
        ++arcs;
        start = end + 1;
    }
    return arcs >= 2 ? s : std::string();
}

}  // namespace pmtool
