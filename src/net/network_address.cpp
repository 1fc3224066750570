#include "net/network_address.h"

#include "net/address_resolver.h"
#include "value/value_factory.h"

#include <pmsnmp/owned.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// Address texts are stored with hexadecimal letters in lower case, so IPX
// and IPv6 texts compare byte for byte.
bool is_upper_hex(char c) { return c >= 'A' && c <= 'F'; }

pmc_long make_lowered_copy(const char* text, pmc::Owned<IPmcByteString>& copy) {
    const std::size_t length = std::strlen(text);
    // Most texts (every IPv4 one) have nothing to lower: copy them as they are.
    std::vector<char> lowered;
    if (std::find_if(text, text + length, is_upper_hex) != text + length) {
        try {
            lowered.resize(length + 1);
        } catch (const std::bad_alloc&) {
            return PMC_E_NO_MEMORY;
        }
        for (std::size_t i = 0; i <= length; ++i) {
            const char c = text[i];
            lowered[i] = is_upper_hex(c) ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    pmc_long status = PMC_S_OK;
    copy.reset(pmc_create_byte_string(&status));
    if (!copy) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
    return copy->assign(lowered.empty() ? text : lowered.data(), static_cast<pmc_ulong>(length));
}

class NetworkAddress final : public CPmcNetworkAddress {
public:
    void release() override { delete this; }

    pmc_long set_text(const char* text) override {
        if (text == nullptr) return PMC_E_INVALID_ARG;
        pmc::Owned<IPmcByteString> copy;
        pmc_long status = make_lowered_copy(text, copy);
        if (status != PMC_S_OK) return status;
        pmc_long kind = PMC_ADDRESS_NONE;
        status = pmc_address_kind_of_text(text, &kind);
        if (status != PMC_S_OK) return status;
        if (kind_ == PMC_ADDRESS_NONE) {
            kind_ = kind;
        } else if (kind_ != kind) {
            return PMC_E_INVALID_ARG;
        }
        text_ = std::move(copy);
        return PMC_S_OK;
    }

    pmc_long assign(const char* text, pmc_long kind, unsigned short port) override {
        if (text == nullptr) return PMC_E_INVALID_ARG;
        pmc::Owned<IPmcByteString> copy;
        const pmc_long status = make_lowered_copy(text, copy);
        if (status != PMC_S_OK) return status;
        text_ = std::move(copy);
        if (kind != PMC_ADDRESS_NONE) kind_ = kind;
        if (port != 0) port_ = port;
        return PMC_S_OK;
    }

    IPmcByteString* get_text_string() override { return text_.get(); }

    pmc_long get_all(IPmcByteString** text, pmc_long* kind, unsigned short* port) override {
        if (text == nullptr) return PMC_E_INVALID_ARG;
        pmc_long status = PMC_S_OK;
        pmc::Owned<IPmcByteString> copy(pmc_create_byte_string(&status));
        if (!copy) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
        if (text_) {
            status = copy->append_string(text_.get());
            if (status != PMC_S_OK) return status;
        }
        *text = copy.release();
        if (kind != nullptr) *kind = kind_;
        if (port != nullptr) *port = port_;
        return PMC_S_OK;
    }

    pmc_long set_kind(pmc_long kind) override {
        kind_ = kind;
        return PMC_S_OK;
    }

    pmc_long set_port(unsigned short port) override {
        port_ = port;
        return PMC_S_OK;
    }

    pmc_long get_kind() override { return kind_; }

    unsigned short get_port() override { return port_; }

    bool equals(CPmcNetworkAddress* other) override {
        if (other == nullptr || !text_ || other->get_text_string() == nullptr) return false;
        bool same = false;
        if (pmc_same_address_text(get_text(), other->get_text(), &same) != PMC_S_OK) return false;
        return same && kind_ == other->get_kind() &&
               (other->get_port() == 0 || other->get_port() == port_);
    }

    pmc_long clone(CPmcNetworkAddress** out) override {
        if (out == nullptr) return PMC_E_INVALID_ARG;
        pmc_long created = PMC_S_OK;
        pmc::Owned<CPmcNetworkAddress> copy(pmc_create_network_address(&created));
        if (!copy) return created;
        if (text_) {
            const pmc_long status = copy->assign(get_text(), kind_, port_);
            if (status != PMC_S_OK) return status;
        } else {
            copy->set_kind(kind_);
            copy->set_port(port_);
        }
        *out = copy.release();
        return PMC_S_OK;
    }

    bool is_valid() override {
        bool is_address = false;
        return text_ && pmc_is_address_text(get_text(), &is_address) == PMC_S_OK && is_address;
    }

    pmc_long normalize() override {
        if (!text_) return PMC_E_INVALID_ARG;
        IPmcByteString* canonical = nullptr;
        const pmc_long status = pmc_canonical_address_text(get_text(), &canonical);
        if (status != PMC_S_OK) return status;
        pmc::Owned<IPmcByteString> owned(canonical);
        return text_->assign(owned->get_data(), owned->get_length());
    }

    const char* get_text() override {
        const unsigned char* data = text_ ? text_->get_data() : nullptr;
        return data != nullptr ? reinterpret_cast<const char*>(data) : "";
    }

    virtual ~NetworkAddress() = default;

private:
    pmc::Owned<IPmcByteString> text_;  // absent until a text is first set
    pmc_long kind_ = PMC_ADDRESS_NONE;
    unsigned short port_ = 0;
};

CPmcAddressResolver* resolver_or_status(pmc_long* status) {
    CPmcAddressResolver* resolver = pmc_address_resolver(status);
    if (resolver == nullptr) *status = PMC_E_NO_MEMORY;
    return resolver;
}

}  // namespace

CPmcNetworkAddress* pmc_create_network_address(pmc_long* status) {
    CPmcNetworkAddress* address = new (std::nothrow) NetworkAddress;
    if (status != nullptr) *status = address != nullptr ? PMC_S_OK : PMC_E_NO_MEMORY;
    return address;
}

CPmcNetworkAddress* pmc_create_network_address_from_text(const char* text, unsigned short port,
                                                         pmc_long* status) {
    pmc_long result = PMC_S_OK;
    pmc_long kind = PMC_ADDRESS_NONE;
    CPmcNetworkAddress* address = nullptr;
    result = pmc_address_kind_of_text(text, &kind);
    if (result == PMC_S_OK) {
        address = pmc_create_network_address(&result);
        if (address != nullptr) result = address->assign(text, kind, port);
    }
    if (status != nullptr) *status = result;
    return address;
}

pmc_long pmc_address_kind_of_text(const char* text, pmc_long* kind) {
    pmc_long status = PMC_S_OK;
    CPmcAddressResolver* resolver = resolver_or_status(&status);
    return resolver != nullptr ? resolver->classify(text, kind) : status;
}

pmc_long pmc_canonical_address_text(const char* text, IPmcByteString** out) {
    pmc_long status = PMC_S_OK;
    CPmcAddressResolver* resolver = resolver_or_status(&status);
    return resolver != nullptr ? resolver->canonical_text(text, out) : status;
}

pmc_long pmc_is_address_text(const char* text, bool* is_address) {
    if (is_address == nullptr) return PMC_E_INVALID_ARG;
    *is_address = false;
    pmc_long kind = PMC_ADDRESS_NONE;
    const pmc_long status = pmc_address_kind_of_text(text, &kind);
    if (status != PMC_S_OK) return status;
    *is_address = kind != PMC_ADDRESS_NONE;
    return PMC_S_OK;
}

pmc_long pmc_same_address_text(const char* text_a, const char* text_b, bool* same) {
    if (same == nullptr) return PMC_E_INVALID_ARG;
    *same = false;
    IPmcByteString* raw_a = nullptr;
    pmc_long status = pmc_canonical_address_text(text_a, &raw_a);
    if (status != PMC_S_OK) return status;
    pmc::Owned<IPmcByteString> a(raw_a);
    IPmcByteString* raw_b = nullptr;
    status = pmc_canonical_address_text(text_b, &raw_b);
    if (status != PMC_S_OK) return status;
    pmc::Owned<IPmcByteString> b(raw_b);
    *same = a->equals_string(b.get());
    return PMC_S_OK;
}
