// The text forms tests compare against, the same in every test folder.
#ifndef PMSNMP_TESTS_SUPPORT_TEXT_OF_H
#define PMSNMP_TESTS_SUPPORT_TEXT_OF_H

#include <string>

#include <pmsnmp/owned.h>
#include <pmsnmp/value.h>

// The bytes of a byte string; empty for none.
inline std::string text_of(const IPmcByteString* string) {
    if (string == nullptr || string->get_data() == nullptr || string->get_length() == 0) return std::string();
    return std::string(reinterpret_cast<const char*>(string->get_data()), string->get_length());
}

// A value's text form, "<status N>" when it has none, "<none>" for no value.
inline std::string text_of(const IPmsValue* value) {
    if (value == nullptr) return "<none>";
    pmc_long status = -99;
    pmc::Owned<IPmcByteString> text(value->get_text_new(&status));
    if (status != PMC_S_OK) return "<status " + std::to_string(status) + ">";
    return text_of(text.get());
}

inline std::string text_of(const IPmsValue& value) { return text_of(&value); }

#endif
