// Helpers shared by the value tests.
#ifndef PMSNMP_TESTS_VALUE_TEST_UTIL_H
#define PMSNMP_TESTS_VALUE_TEST_UTIL_H

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pmsnmp/owned.h>

#include "support/text_of.h"
#include "value/value_factory.h"

using OwnedValue = pmc::Owned<IPmsValue>;
using OwnedOid = pmc::Owned<IPmsOid>;
using OwnedString = pmc::Owned<IPmcByteString>;

inline OwnedValue make_value(pmc_long type) {
    pmc_long status = -99;
    OwnedValue value(pms_create_value(type, &status));
    EXPECT_EQ(status, PMC_S_OK) << "type " << type;
    return value;
}

inline OwnedOid make_oid(const char* text) {
    pmc_long status = -99;
    OwnedOid oid(pms_create_oid(&status));
    EXPECT_EQ(status, PMC_S_OK);
    EXPECT_EQ(oid->set_text(text), PMC_S_OK);
    return oid;
}

inline std::string string_of(const IPmcByteString& s) {
    const unsigned char* data = s.get_data();
    return data != nullptr ? std::string(reinterpret_cast<const char*>(data), s.get_length()) : std::string();
}

inline std::vector<unsigned> bytes_of(const IPmsValue& value) {
    pmc_ulong length = 0;
    pmc_long status = -99;
    const unsigned char* data = value.get_bytes(&length, &status);
    EXPECT_EQ(status, PMC_S_OK);
    return std::vector<unsigned>(data, data + length);
}

#endif
