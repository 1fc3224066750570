// An object identifier as the client layer carries it: its arcs, read once
// from the library's objects or parsed once from what a person typed, and
// ordered as SNMP orders names (arc by arc as numbers, a proper prefix
// first). IPmsOid::compare orders by text ("1.10" before "1.9"), which
// cannot tell whether a GetNext answer really advanced. Dotted text is made
// only for people.
#ifndef PMSNMP_API_CLIENT_OID_H
#define PMSNMP_API_CLIENT_OID_H

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include <pmsnmp/types.h>

class IPmsOid;
class IPmsValue;

namespace NPmcClient {

class Oid {
public:
    Oid() = default;
    Oid(std::initializer_list<pmc_ulong> arcs) : arcs_(arcs) {}
    explicit Oid(std::vector<pmc_ulong> arcs) : arcs_(std::move(arcs)) {}

    // Dotted decimal, a leading dot allowed: at least two arcs, each a
    // number below 2^32 without leading zero; nullopt for anything else.
    static std::optional<Oid> parse(const std::string& text);
    // The arcs of a library identifier; nullopt for a malformed one.
    static std::optional<Oid> of(const IPmsOid* oid);
    // The arcs of an OBJECT IDENTIFIER value; nullopt for other kinds.
    static std::optional<Oid> value_of(const IPmsValue* value);

    const std::vector<pmc_ulong>& arcs() const { return arcs_; }
    bool empty() const { return arcs_.empty(); }
    std::size_t size() const { return arcs_.size(); }
    pmc_ulong front() const { return arcs_.front(); }

    // Dotted decimal without a leading dot ("" for no arcs).
    std::string text() const;
    // True when root is a proper prefix of this identifier.
    bool is_below(const Oid& root) const;
    // The arcs after root ("43.11.1.1.6.1.2" after "43.11.1.1.6" is "1.2");
    // empty when this identifier is not below root.
    Oid suffix_after(const Oid& root) const;
    // This identifier with suffix's arcs appended.
    Oid operator+(const Oid& suffix) const;

    // A new library identifier with these arcs (the caller releases it);
    // null and the status on failure, PMC_E_INVALID_ARG for no arcs.
    IPmsOid* make(pmc_long* status) const;

    // -1, 0 or 1 as this identifier sorts before, equals or sorts after other.
    int compare(const Oid& other) const;
    bool operator==(const Oid& other) const { return arcs_ == other.arcs_; }
    bool operator!=(const Oid& other) const { return arcs_ != other.arcs_; }
    bool operator<(const Oid& other) const { return arcs_ < other.arcs_; }

private:
    std::vector<pmc_ulong> arcs_;
};

}  // namespace NPmcClient

#endif
