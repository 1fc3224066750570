// Builds BER test messages from parts, so that a test states only the part
// it is about.
#ifndef PMSNMP_TESTS_CODEC_WIRE_BUILDER_H
#define PMSNMP_TESTS_CODEC_WIRE_BUILDER_H

#include <initializer_list>

#include "codec_test_support.h"

// tag, definite length, contents.
inline Bytes tlv(unsigned char tag, const Bytes& contents) {
    Bytes out{tag};
    const std::size_t n = contents.size();
    if (n < 0x80) {
        out.push_back(static_cast<unsigned char>(n));
    } else if (n < 0x100) {
        out.push_back(0x81);
        out.push_back(static_cast<unsigned char>(n));
    } else {
        out.push_back(0x82);
        out.push_back(static_cast<unsigned char>(n >> 8));
        out.push_back(static_cast<unsigned char>(n & 0xFF));
    }
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes integer(pmc_long number) {
    Bytes contents;
    pmc_ulong bits = static_cast<pmc_ulong>(number);
    int count = 4;
    while (count > 1) {
        const pmc_ulong top9 = (bits >> ((count - 1) * 8 - 1)) & 0x1FF;
        if (top9 != 0 && top9 != 0x1FF) break;
        --count;
    }
    for (int i = count - 1; i >= 0; --i) contents.push_back(static_cast<unsigned char>(bits >> (i * 8)));
    return tlv(0x02, contents);
}

inline Bytes octets(const std::string& text) {
    return tlv(0x04, Bytes(text.begin(), text.end()));
}

// 1.3.6.1.2.1.43.11.1.1.9.1.n as wire bytes (n below 128).
inline Bytes supply_oid(unsigned char n) {
    return cat({hex("06 0C 2B 06 01 02 01 2B 0B 01 01 09 01"), Bytes{n}});
}

inline Bytes binding(const Bytes& name, const Bytes& value) { return tlv(0x30, cat({name, value})); }

inline Bytes message(pmc_long version, const std::string& community, unsigned char pdu_tag,
                     const Bytes& pdu_contents) {
    return tlv(0x30, cat({integer(version), octets(community), tlv(pdu_tag, pdu_contents)}));
}

inline Bytes response(pmc_long request_id, pmc_long error_status, pmc_long error_index,
                      const Bytes& bindings, pmc_long version = PMS_VERSION_1,
                      const std::string& community = "public") {
    return message(version, community, 0xA2,
                   cat({integer(request_id), integer(error_status), integer(error_index),
                        tlv(0x30, bindings)}));
}

#endif
