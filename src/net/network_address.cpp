#include "net/network_address.h"

#include "net/address_resolver.h"
#include "net/ip_text.h"
#include "net/socket_api.h"
#include "value/library_object.h"
#include "value/value_factory.h"

#include <pmsnmp/owned.h>

#include <algorithm>
#include <cstdio>
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

// The socket address a plain IPv4 or IPv6 text names (port 0), read as the
// resolver reads texts; 0 for any other text.
int record_of_text(const char* text, sockaddr_storage* record) {
    std::memset(record, 0, sizeof *record);
    auto* in = reinterpret_cast<sockaddr_in*>(record);
    unsigned char octets[sizeof(in_addr)];
    if (pmc_parse_ipv4_text(text, octets)) {
        in->sin_family = AF_INET;
        std::memcpy(&in->sin_addr, octets, sizeof octets);
        return static_cast<int>(sizeof(sockaddr_in));
    }
    auto* in6 = reinterpret_cast<sockaddr_in6*>(record);
    // A scope ("%eth0") needs the system's lookup: the socket does it.
    if (std::strchr(text, ':') != nullptr && std::strchr(text, '%') == nullptr &&
        pmc_ip_text_to_binary(AF_INET6, text, &in6->sin6_addr)) {
        in6->sin6_family = AF_INET6;
        return static_cast<int>(sizeof(sockaddr_in6));
    }
    return 0;
}

// The port field of an IPv4 or IPv6 record, in network order.
void put_port(sockaddr_storage* record, unsigned short port) {
    unsigned char bytes[2] = {static_cast<unsigned char>(port >> 8), static_cast<unsigned char>(port & 0xFF)};
    if (record->ss_family == AF_INET) {
        std::memcpy(&reinterpret_cast<sockaddr_in*>(record)->sin_port, bytes, sizeof bytes);
    } else {
        std::memcpy(&reinterpret_cast<sockaddr_in6*>(record)->sin6_port, bytes, sizeof bytes);
    }
}

unsigned short port_of(const sockaddr_storage* record) {
    unsigned char bytes[2];
    if (record->ss_family == AF_INET) {
        std::memcpy(bytes, &reinterpret_cast<const sockaddr_in*>(record)->sin_port, sizeof bytes);
    } else {
        std::memcpy(bytes, &reinterpret_cast<const sockaddr_in6*>(record)->sin6_port, sizeof bytes);
    }
    return static_cast<unsigned short>(bytes[0] << 8 | bytes[1]);
}

// The host part of a record: the family, the IP octets and an IPv6 scope.
std::string host_octets(const sockaddr* record) {
    std::string key(1, static_cast<char>(record->sa_family));
    if (record->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(record);
        key.append(reinterpret_cast<const char*>(&in->sin_addr), sizeof in->sin_addr);
    } else {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(record);
        key.append(reinterpret_cast<const char*>(&in6->sin6_addr), sizeof in6->sin6_addr);
        key.append(reinterpret_cast<const char*>(&in6->sin6_scope_id), sizeof in6->sin6_scope_id);
    }
    return key;
}

bool same_host(const sockaddr* a, const sockaddr* b) {
    if (a->sa_family != b->sa_family) return false;
    if (a->sa_family != AF_INET && a->sa_family != AF_INET6) return false;
    if (a->sa_family == AF_INET) {
        return std::memcmp(&reinterpret_cast<const sockaddr_in*>(a)->sin_addr,
                           &reinterpret_cast<const sockaddr_in*>(b)->sin_addr, sizeof(in_addr)) == 0;
    }
    const auto* a6 = reinterpret_cast<const sockaddr_in6*>(a);
    const auto* b6 = reinterpret_cast<const sockaddr_in6*>(b);
    return std::memcmp(&a6->sin6_addr, &b6->sin6_addr, sizeof(in6_addr)) == 0 &&
           a6->sin6_scope_id == b6->sin6_scope_id;
}

constexpr std::size_t kHostTextCapacity = 1025;

// The numeric text of a record's host, as the system prints it.
bool text_of_record(const sockaddr_storage* record, int length, char* out, std::size_t capacity) {
    if (record->ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(record);
        const auto* o = reinterpret_cast<const unsigned char*>(&in->sin_addr);
        std::snprintf(out, capacity, "%u.%u.%u.%u", o[0], o[1], o[2], o[3]);
        return true;
    }
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(record);
    if (in6->sin6_scope_id == 0) return pmc_ip_binary_to_text(AF_INET6, &in6->sin6_addr, out, capacity);
    // Only the system knows the names of scopes.
    return NPmcSocketAPI::table().getnameinfo(reinterpret_cast<const sockaddr*>(record), static_cast<socklen_t>(length), out,
                                              static_cast<socklen_t>(capacity), nullptr, 0, NI_NUMERICHOST) == 0;
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
        take_text(std::move(copy), text);
        return PMC_S_OK;
    }

    pmc_long assign(const char* text, pmc_long kind, unsigned short port) override {
        if (text == nullptr) return PMC_E_INVALID_ARG;
        pmc::Owned<IPmcByteString> copy;
        const pmc_long status = make_lowered_copy(text, copy);
        if (status != PMC_S_OK) return status;
        take_text(std::move(copy), text);
        if (kind != PMC_ADDRESS_NONE) kind_ = kind;
        if (port != 0) port_ = port;
        return PMC_S_OK;
    }

    IPmcByteString* get_text_string() override {
        make_text();
        return text_.get();
    }

    pmc_long get_all(IPmcByteString** text, pmc_long* kind, unsigned short* port) override {
        if (text == nullptr) return PMC_E_INVALID_ARG;
        pmc_long status = PMC_S_OK;
        pmc::Owned<IPmcByteString> copy(pmc_create_byte_string(&status));
        if (!copy) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
        if (IPmcByteString* own = get_text_string()) {
            status = copy->append_string(own);
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
        if (other == nullptr || kind_ != other->get_kind() ||
            (other->get_port() != 0 && other->get_port() != port_)) {
            return false;
        }
        int other_length = 0;
        const sockaddr* other_record = other->get_socket_address(&other_length);
        if (record_length_ != 0 && other_record != nullptr) {
            return same_host(reinterpret_cast<const sockaddr*>(&record_), other_record);
        }
        if (get_text_string() == nullptr || other->get_text_string() == nullptr) return false;
        bool same = false;
        return pmc_same_address_text(get_text(), other->get_text(), &same) == PMC_S_OK && same;
    }

    pmc_long clone(CPmcNetworkAddress** out) override {
        if (out == nullptr) return PMC_E_INVALID_ARG;
        pmc::Owned<NetworkAddress> copy(new (std::nothrow) NetworkAddress);
        if (!copy) return PMC_E_NO_MEMORY;
        if (text_) {
            pmc_long status = PMC_S_OK;
            copy->text_.reset(pmc_create_byte_string(&status));
            if (!copy->text_) return status != PMC_S_OK ? status : PMC_E_NO_MEMORY;
            status = copy->text_->append_string(text_.get());
            if (status != PMC_S_OK) return status;
        }
        copy->record_ = record_;
        copy->record_length_ = record_length_;
        copy->kind_ = kind_;
        copy->port_ = port_;
        *out = copy.release();
        return PMC_S_OK;
    }

    bool is_valid() override {
        bool is_address = false;
        return get_text_string() != nullptr && pmc_is_address_text(get_text(), &is_address) == PMC_S_OK &&
               is_address;
    }

    pmc_long normalize() override {
        if (get_text_string() == nullptr) return record_length_ != 0 ? PMC_E_NO_MEMORY : PMC_E_INVALID_ARG;
        IPmcByteString* canonical = nullptr;
        const pmc_long status = pmc_canonical_address_text(get_text(), &canonical);
        if (status != PMC_S_OK) return status;
        pmc::Owned<IPmcByteString> owned(canonical);
        return text_->assign(owned->get_data(), owned->get_length());
    }

    const char* get_text() override {
        IPmcByteString* text = get_text_string();
        const unsigned char* data = text != nullptr ? text->get_data() : nullptr;
        return data != nullptr ? reinterpret_cast<const char*>(data) : "";
    }

    const sockaddr* get_socket_address(int* length) override {
        if (record_length_ == 0) return nullptr;
        put_port(&record_, port_);
        if (length != nullptr) *length = record_length_;
        return reinterpret_cast<const sockaddr*>(&record_);
    }

    pmc_long set_socket_address(const sockaddr* record, int length) override {
        if (record == nullptr) return PMC_E_INVALID_ARG;
        const std::size_t needed = record->sa_family == AF_INET    ? sizeof(sockaddr_in)
                                   : record->sa_family == AF_INET6 ? sizeof(sockaddr_in6)
                                                                   : 0;
        if (needed == 0 || length < 0 || static_cast<std::size_t>(length) < needed) return PMC_E_INVALID_ARG;
        // As set_text: an address of one kind does not become another.
        const pmc_long kind = pmc_kind_from_family(record->sa_family);
        if (kind_ != PMC_ADDRESS_NONE && kind_ != kind) return PMC_E_INVALID_ARG;
        std::memset(&record_, 0, sizeof record_);
        std::memcpy(&record_, record, needed);
        record_length_ = static_cast<int>(needed);
        kind_ = kind;
        port_ = port_of(&record_);
        text_.reset();
        return PMC_S_OK;
    }

    virtual ~NetworkAddress() = default;

private:
    void take_text(pmc::Owned<IPmcByteString> copy, const char* text) {
        text_ = std::move(copy);
        record_length_ = record_of_text(text, &record_);
    }

    // The text of an address that came from the system, made on first need.
    void make_text() {
        if (text_ || record_length_ == 0) return;
        char host[kHostTextCapacity];
        if (!text_of_record(&record_, record_length_, host, sizeof host)) return;
        pmc_long status = PMC_S_OK;
        pmc::Owned<IPmcByteString> text(pmc_create_byte_string(&status));
        if (text && text->assign_text(host) == PMC_S_OK) text_ = std::move(text);
    }

    pmc::Owned<IPmcByteString> text_;  // absent until set, or until asked for
    sockaddr_storage record_{};
    int record_length_ = 0;  // 0: the text names no socket address
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
    return pmc_new_object<NetworkAddress>(status);
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

bool pmc_same_host(const sockaddr* a, const sockaddr* b) {
    return a != nullptr && b != nullptr && same_host(a, b);
}

std::string pmc_host_key(CPmcNetworkAddress* address) {
    if (address == nullptr) return std::string();
    const sockaddr* record = address->get_socket_address(nullptr);
    if (record != nullptr) return host_octets(record);
    return std::string(1, '\0') + address->get_text();
}
