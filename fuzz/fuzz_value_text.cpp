// The text form of every value kind: a text a kind accepts prints as a text
// the same kind accepts again, and that one prints unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <pmsnmp/owned.h>

#include "value/value_factory.h"

namespace {

constexpr pmc_long kKinds[] = {
    PMS_TYPE_INTEGER,     PMS_TYPE_OCTET_STRING, PMS_TYPE_NULL,           PMS_TYPE_OID,
    PMS_TYPE_IP_ADDRESS,  PMS_TYPE_COUNTER32,    PMS_TYPE_GAUGE32,        PMS_TYPE_TIME_TICKS,
    PMS_TYPE_OPAQUE,      PMS_TYPE_COUNTER64,    PMS_TYPE_IPV6_ADDRESS,   PMS_TYPE_NO_SUCH_OBJECT,
    PMS_TYPE_NO_SUCH_INSTANCE, PMS_TYPE_END_OF_MIB_VIEW, PMS_TYPE_UDP_ADDRESS,
    PMS_TYPE_IPX_ADDRESS};

// The text form of a value parsed from text; false when the kind refused it.
bool print(pmc_long kind, const char* text, std::string* out) {
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsValue> value(pms_create_value(kind, &status));
    if (!value) std::abort();
    // Some kinds keep any text and say through is_valid whether it is one.
    const bool accepted = value->set_text(text) == PMC_S_OK && value->is_valid();
    // The factory's path from text must agree with set_text.
    pmc::Owned<IPmsValue> made(pms_create_value_from_text(text, kind, &status));
    if ((made != nullptr) != accepted) std::abort();
    if (!accepted) return false;
    if (!made->equals(value.get())) std::abort();
    pmc::Owned<IPmcByteString> printed(pmc_create_byte_string(nullptr));
    if (!printed || value->get_text_into(printed.get()) != PMC_S_OK) std::abort();
    out->assign(reinterpret_cast<const char*>(printed->get_data()), printed->get_length());
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const pmc_long kind = kKinds[data[0] % (sizeof kKinds / sizeof kKinds[0])];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string first;
    if (!print(kind, text.c_str(), &first)) return 0;
    // A printed text with a NUL in it cannot be read back as a C string.
    if (first.find('\0') != std::string::npos) return 0;
    std::string second;
    if (!print(kind, first.c_str(), &second)) std::abort();
    if (second != first) std::abort();
    return 0;
}
