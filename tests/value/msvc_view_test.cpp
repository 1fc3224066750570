// What a host built with MSVC sees of an identifier: IPmsOid's own slots
// from the start of its table, then a pointer to a virtual-base table that
// leads to IPmsValue. A class with just IPmsOid's own slots has, under GCC's
// ABI, the table MSVC gives IPmsOid, so this reads our objects as such a host.
#include <cstdint>

#include <gtest/gtest.h>

#include "value/value_factory.h"

namespace msvc {

class Oid {
public:
    virtual Oid* clone_oid(pmc_long* status) const = 0;
    virtual pmc_long compare_text(const char* text, pmc_long* status) const = 0;
    virtual pmc_long compare(const Oid* other, pmc_long* status) const = 0;
    virtual pmc_long remove_prefix_text(const char* prefix) = 0;
    virtual pmc_long remove_prefix(const Oid* prefix) = 0;
    virtual pmc_long append_text(const char* text) = 0;
    virtual pmc_long append_arc(pmc_ulong arc) = 0;
    virtual pmc_long append_oid(const Oid* other) = 0;
    virtual pmc_long append_text_index(const char* text, pmc_long type, bool implied) = 0;
    virtual pmc_long append_value_index(const IPmsValue* value, bool implied) = 0;
    virtual Oid* pop_oid(pmc_ulong count, pmc_long* status) = 0;
    virtual pmc_long pop_into_value(IPmsValue* value, pmc_ulong count) = 0;
    virtual pmc_ulong pop_arc(pmc_long* status) = 0;
    virtual IPmcByteString* pop_text_new(pmc_ulong count, pmc_long* status) = 0;
    virtual pmc_long pop_text_into(IPmcByteString* out, pmc_ulong count) = 0;
    virtual IPmsValue* pop_index_new(pmc_long type, pmc_long* status, bool implied, pmc_ulong count) = 0;
    virtual pmc_long pop_index_into(IPmsValue* value, bool implied, pmc_ulong count) = 0;
    virtual pmc_long remove_arcs(pmc_ulong start, pmc_ulong count) = 0;
    virtual IPmsValue* decode_index_new(pmc_long type, pmc_long* status, bool implied) = 0;
    virtual pmc_long decode_index_into(IPmsValue* value, bool implied) = 0;
    virtual pmc_long encode_index(const IPmsValue* value, bool implied) = 0;

protected:
    ~Oid() = default;
};

// MSVC's road from an identifier to its IPmsValue part; *to_top gets the
// table's first entry, the offset back to the identifier.
IPmsValue* value_part(Oid* oid, std::int32_t* to_top) {
    char* bases_at = reinterpret_cast<char*>(oid) + sizeof(void*);
    const std::int32_t* bases = *reinterpret_cast<const std::int32_t* const*>(bases_at);
    *to_top = bases[0];
    return reinterpret_cast<IPmsValue*>(bases_at + bases[1]);
}

TEST(MsvcView, IdentifierServesMsvcAndGccHosts) {
    IPmsOid* oid = pms_create_oid_from_text("1.3.6.1", nullptr);
    ASSERT_NE(oid, nullptr);
    auto* host = reinterpret_cast<Oid*>(oid);
    std::int32_t to_top = 0;
    EXPECT_EQ(value_part(host, &to_top), static_cast<IPmsValue*>(oid));
    EXPECT_EQ(to_top, -static_cast<std::int32_t>(sizeof(void*)));

    // Slots from the first to the last, mixed with GCC's view of the same object.
    EXPECT_EQ(host->append_arc(2), PMC_S_OK);
    EXPECT_EQ(oid->compare_text("1.3.6.1.2", nullptr), PMS_OID_EQUAL);
    Oid* copy = host->clone_oid(nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->compare(host, nullptr), PMS_OID_EQUAL);
    EXPECT_EQ(copy->remove_prefix_text("1.3.6"), PMC_S_OK);
    EXPECT_EQ(host->compare(copy, nullptr), PMS_OID_AFTER);
    IPmsValue* number = pms_create_value_from_int(42, PMS_TYPE_INTEGER, nullptr);
    EXPECT_EQ(host->encode_index(number, false), PMC_S_OK);
    EXPECT_EQ(oid->compare_text("42", nullptr), PMS_OID_EQUAL);
    EXPECT_EQ(value_part(copy, &to_top)->as_oid(), reinterpret_cast<IPmsOid*>(copy));
    number->release();
    value_part(copy, &to_top)->release();
    oid->release();
}

}  // namespace msvc
