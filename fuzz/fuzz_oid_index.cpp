// Identifier text and the table-index forms. Input: a kind selector, a flag
// byte, then "identifier|index text". A value appended as an index reads
// back equal; an index read from any identifier writes back as a prefix of it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <pmsnmp/owned.h>

#include "value/value_base.h"
#include "value/value_factory.h"

namespace {

constexpr pmc_long kIndexKinds[] = {PMS_TYPE_INTEGER,    PMS_TYPE_OCTET_STRING, PMS_TYPE_OID,
                                    PMS_TYPE_IP_ADDRESS, PMS_TYPE_GAUGE32,      PMS_TYPE_TIME_TICKS,
                                    PMS_TYPE_COUNTER64,  PMS_TYPE_IPV6_ADDRESS, PMS_TYPE_UDP_ADDRESS,
                                    PMS_TYPE_IPX_ADDRESS, PMS_TYPE_COUNTER32};

void check(bool ok) {
    if (!ok) std::abort();
}

pmc::Owned<IPmsOid> copy_of(const IPmsOid* oid) {
    pmc::Owned<IPmsOid> copy(oid->clone_oid(nullptr));
    check(copy != nullptr);
    return copy;
}

// Appending the index form of text, then popping the identifier off again,
// must leave exactly that index.
void append_then_decode(const IPmsOid* base, const char* text, pmc_long kind, bool implied) {
    pmc::Owned<IPmsOid> oid = copy_of(base);
    if (oid->append_text_index(text, kind, implied) != PMC_S_OK) {
        check(oid->equals(base));  // nothing of a refused form stays behind
        return;
    }
    pmc::Owned<IPmsValue> expected(pms_create_value_from_text(text, kind, nullptr));
    check(expected != nullptr);
    pmc::Owned<IPmsOid> front(oid->pop_oid(base->get_length(), nullptr));
    check(front != nullptr && front->equals(base));
    pmc::Owned<IPmsValue> decoded(oid->decode_index_new(kind, nullptr, implied));
    check(decoded != nullptr && decoded->equals(expected.get()));
}

// Whatever index an identifier yields writes back as its leading arcs.
void decode_then_encode(const IPmsOid* base, pmc_long kind, bool implied) {
    pmc::Owned<IPmsOid> oid = copy_of(base);
    pmc::Owned<IPmsValue> decoded(oid->decode_index_new(kind, nullptr, implied));
    if (!decoded) return;
    pmc::Owned<IPmsOid> written(pms_create_oid(nullptr));
    check(written != nullptr && written->encode_index(decoded.get(), implied) == PMC_S_OK);
    check(written->get_length() == decoded->get_index_length(implied));
    pmc_long status = PMC_S_OK;
    const pmc_long relation = oid->compare(written.get(), &status);
    check(status == PMC_S_OK && (relation == PMS_OID_EQUAL || relation == PMS_OID_BELOW ||
                                 written->get_length() == 0));
    // Popping the same index removes exactly its arcs.
    pmc::Owned<IPmsValue> popped(oid->pop_index_new(kind, nullptr, implied, PMS_ALL_ARCS));
    check(popped != nullptr && popped->equals(decoded.get()));
    check(oid->get_length() + written->get_length() == base->get_length());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const pmc_long kind = kIndexKinds[data[0] % (sizeof kIndexKinds / sizeof kIndexKinds[0])];
    const bool implied = (data[1] & 1) != 0;
    const std::string input(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t bar = input.find('|');
    const std::string name = input.substr(0, bar);
    const std::string index = bar == std::string::npos ? std::string() : input.substr(bar + 1);

    pmc::Owned<IPmsOid> base(pms_create_oid_from_text(name.c_str(), nullptr));
    if (!base) return 0;
    pmc_long status = PMC_S_OK;
    check(base->compare_text(name.c_str(), &status) == PMS_OID_EQUAL || status != PMC_S_OK ||
          !base->is_valid());
    if (!base->is_valid()) return 0;
    pmc::Owned<IPmsOid> copy = copy_of(base.get());
    check(copy->compare(base.get(), &status) == PMS_OID_EQUAL && status == PMC_S_OK);

    append_then_decode(base.get(), index.c_str(), kind, implied);
    decode_then_encode(base.get(), kind, implied);
    return 0;
}
