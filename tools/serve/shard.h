// --shard K/N: the printers a Prometheus `hashmod` relabelling with
// modulus N gives residue K, so that N servers split a fleet as N
// Prometheus servers split their targets.
#ifndef PMSNMP_TOOLS_SERVE_SHARD_H
#define PMSNMP_TOOLS_SERVE_SHARD_H

#include <cstdint>
#include <string>

namespace pmtool {

struct Shard {
    std::uint64_t index = 0;
    std::uint64_t count = 1;
};

// "K/N" with 0 <= K < N; false with a reason otherwise.
bool parse_shard(const std::string& text, Shard* out, std::string* error);

// As Prometheus computes it: the last 8 octets of the MD5 digest of value,
// big-endian, modulo modulus (at least 1).
std::uint64_t hashmod(const std::string& value, std::uint64_t modulus);

}  // namespace pmtool

#endif
