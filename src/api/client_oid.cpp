#include "api/client_oid.h"

#include <algorithm>

#include <pmsnmp/owned.h>
#include <pmsnmp/value.h>

#include "value/oid_arcs.h"
#include "value/value_factory.h"

namespace NPmcClient {

namespace {

constexpr pmc_ulong kMaxArc = 0xFFFFFFFFu;
constexpr std::size_t kMaxArcDigits = 10;

// One arc of typed text: digits only, below 2^32, no leading zero (as the
// library reads identifiers).
bool parse_arc(const std::string& text, std::size_t start, std::size_t end, pmc_ulong* arc) {
    if (end == start || end - start > kMaxArcDigits || (end - start > 1 && text[start] == '0')) return false;
    unsigned long long value = 0;
    for (std::size_t i = start; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<unsigned long long>(text[i] - '0');
    }
    if (value > kMaxArc) return false;
    *arc = static_cast<pmc_ulong>(value);
    return true;
}

}  // namespace

std::optional<Oid> Oid::parse(const std::string& text) {
    std::vector<pmc_ulong> arcs;
    std::size_t start = (!text.empty() && text[0] == '.') ? 1 : 0;
    while (true) {
        std::size_t end = text.find('.', start);
        if (end == std::string::npos) end = text.size();
        pmc_ulong arc = 0;
        if (!parse_arc(text, start, end, &arc)) return std::nullopt;
        arcs.push_back(arc);
        if (end == text.size()) break;
        start = end + 1;
    }
    if (arcs.size() < 2) return std::nullopt;
    return Oid(std::move(arcs));
}

std::optional<Oid> Oid::of(const IPmsOid* oid) {
    if (oid == nullptr) return std::nullopt;
    // The count first (held by identifiers the codec made), then the arcs
    // straight into their place.
    pmc_ulong count = 0;
    const pmc_long status = pms_oid_read_arcs(oid, nullptr, 0, &count);
    if (status != PMC_S_OK && status != PMC_E_OUT_OF_RANGE) return std::nullopt;
    std::vector<pmc_ulong> arcs(count);
    if (count != 0 && pms_oid_read_arcs(oid, arcs.data(), count, &count) != PMC_S_OK) return std::nullopt;
    return Oid(std::move(arcs));
}

std::optional<Oid> Oid::value_of(const IPmsValue* value) {
    if (value == nullptr || value->get_type() != PMS_TYPE_OID) return std::nullopt;
    std::vector<pmc_ulong> arcs(value->get_length());
    for (pmc_ulong i = 0; i < arcs.size(); ++i) {
        pmc_long status = PMC_S_OK;
        arcs[i] = value->get_element(i, &status);
        if (status != PMC_S_OK) return std::nullopt;
    }
    return Oid(std::move(arcs));
}

std::string Oid::text() const {
    const pmc_ulong count = static_cast<pmc_ulong>(arcs_.size());
    std::string text(pms_dotted_length(arcs_.data(), count), '\0');
    pms_write_dotted(&text[0], arcs_.data(), count);
    return text;
}

bool Oid::is_below(const Oid& root) const {
    return arcs_.size() > root.arcs_.size() && std::equal(root.arcs_.begin(), root.arcs_.end(), arcs_.begin());
}

Oid Oid::suffix_after(const Oid& root) const {
    if (!is_below(root)) return Oid();
    return Oid(std::vector<pmc_ulong>(arcs_.begin() + static_cast<std::ptrdiff_t>(root.size()), arcs_.end()));
}

Oid Oid::operator+(const Oid& suffix) const {
    Oid joined(*this);
    joined.arcs_.insert(joined.arcs_.end(), suffix.arcs_.begin(), suffix.arcs_.end());
    return joined;
}

IPmsOid* Oid::make(pmc_long* status) const {
    if (arcs_.empty()) {
        if (status != nullptr) *status = PMC_E_INVALID_ARG;
        return nullptr;
    }
    pmc::Owned<IPmsOid> made(pms_create_oid(status));
    if (!made) return nullptr;
    const pmc_long assigned = pms_oid_assign_arcs(made.get(), arcs_.data(), static_cast<pmc_ulong>(arcs_.size()));
    if (status != nullptr) *status = assigned;
    return assigned == PMC_S_OK ? made.release() : nullptr;
}

int Oid::compare(const Oid& other) const {
    if (arcs_ < other.arcs_) return -1;
    return other.arcs_ < arcs_ ? 1 : 0;
}

}  // namespace NPmcClient
