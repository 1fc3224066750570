#include "value/octet_string.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "value/arc_reader.h"

namespace {
constexpr pmc_ulong kMaxByteArc = 255;
}  // namespace

// Byte storage

bool PmsByteStorage::reserve(pmc_ulong n) {
    if (capacity_ >= n) return true;
    const std::uint64_t capacity = (static_cast<std::uint64_t>(n) / kStep + 1) * kStep;
    if (capacity > UINT32_MAX) return false;
    if (!pmc_realloc_block(data_, static_cast<std::size_t>(capacity))) return false;
    capacity_ = static_cast<pmc_ulong>(capacity);
    return true;
}

bool PmsByteStorage::append(unsigned char byte) {
    if (count_ == capacity_ && !reserve(capacity_ + 1)) return false;
    data_[count_++] = byte;
    return true;
}

bool PmsByteStorage::store(const unsigned char* data, pmc_ulong n) {
    if (n == 0) {
        count_ = 0;
        return true;
    }
    if (data == data_.get()) {  // storing our own bytes onto themselves
        count_ = n;
        return true;
    }
    if (!reserve(n)) return false;
    std::memmove(data_.get(), data, n);
    count_ = n;
    return true;
}

// OCTET STRING

pmc_long CPmsOctetString::init() {
    if (!bytes_.reserve(fixed_size_)) return PMC_E_NO_MEMORY;
    for (pmc_ulong i = 0; i < fixed_size_; ++i) {
        if (!bytes_.append(0)) return PMC_E_NO_MEMORY;
    }
    return PMC_S_OK;
}

pmc_long CPmsOctetString::accept(IPmsValueVisitor* visitor) {
    if (visitor == nullptr) return PMC_E_INVALID_ARG;
    return visitor->visit_octet_string(this);
}

IPmsValue* CPmsOctetString::clone(pmc_long* status) const {
    return pms_clone_kind<CPmsOctetString>(*this, status);
}

pmc_long CPmsOctetString::assign(const IPmsValue* other) {
    if (!same_type(other)) return PMC_E_INVALID_ARG;
    void* found = nullptr;
    const_cast<IPmsValue*>(other)->query_interface(pms_kind_iid(PMS_TYPE_OCTET_STRING), &found);
    if (found == nullptr) return PMC_E_INVALID_ARG;
    const PmsByteStorage& source = static_cast<const CPmsOctetString*>(found)->bytes_;
    return bytes_.store(source.data(), source.count()) ? PMC_S_OK : PMC_E_NO_MEMORY;
}

void CPmsOctetString::clear() {
    if (is_fixed()) {
        std::memset(bytes_.data(), 0, bytes_.count());
    } else {
        bytes_.empty();
    }
}

bool CPmsOctetString::equals(const IPmsValue* other) const {
    if (!same_type(other)) return false;
    void* found = nullptr;
    const_cast<IPmsValue*>(other)->query_interface(pms_kind_iid(PMS_TYPE_OCTET_STRING), &found);
    if (found == nullptr) return false;
    const PmsByteStorage& theirs = static_cast<const CPmsOctetString*>(found)->bytes_;
    return theirs.count() == bytes_.count() &&
           (bytes_.count() == 0 || std::memcmp(theirs.data(), bytes_.data(), bytes_.count()) == 0);
}

void CPmsOctetString::query_interface(pmc_long id, void** out) {
    if (out != nullptr && id == pms_kind_iid(PMS_TYPE_OCTET_STRING)) {
        *out = static_cast<CPmsOctetString*>(this);
        return;
    }
    CPmsValueBase::query_interface(id, out);
}

pmc_long CPmsOctetString::get_text_into(IPmcByteString* out) const {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    return out->assign(bytes_.data(), bytes_.count());
}

pmc_long CPmsOctetString::set_text(const char* text) {
    if (text == nullptr) {
        bytes_.empty();
        return PMC_S_OK;
    }
    return set_bytes(reinterpret_cast<const unsigned char*>(text), static_cast<pmc_ulong>(std::strlen(text)));
}

const unsigned char* CPmsOctetString::get_bytes(pmc_ulong* length, pmc_long* status) const {
    if (length == nullptr) {
        pms_report(status, PMC_E_INVALID_ARG);
        return nullptr;
    }
    *length = bytes_.count();
    pms_report(status, PMC_S_OK);
    return bytes_.data();
}

pmc_long CPmsOctetString::set_bytes(const unsigned char* data, pmc_ulong count) {
    if (is_fixed()) {
        if (data == nullptr || count != fixed_size_) return PMC_E_INVALID_ARG;
    } else if (data == nullptr) {
        bytes_.empty();
        return PMC_S_OK;
    }
    return bytes_.store(data, count) ? PMC_S_OK : PMC_E_NO_MEMORY;
}

pmc_ulong CPmsOctetString::get_element(pmc_ulong position, pmc_long* status) const {
    if (position >= bytes_.count()) {
        pms_report(status, PMC_E_INVALID_ARG);
        return PMS_BAD_NUMBER;
    }
    pms_report(status, PMC_S_OK);
    return bytes_.data()[position];
}

pmc_ulong CPmsOctetString::get_index_length(bool implied) const {
    return (domain_arc_ != 0 ? 1 : 0) + (implied ? 0 : 1) + bytes_.count();
}

pmc_long CPmsOctetString::append_index(IPmsOid* oid, bool implied) const {
    if (oid == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    if (domain_arc_ != 0) status = oid->append_arc(domain_arc_);
    if (status == PMC_S_OK && !implied) status = oid->append_arc(bytes_.count());
    for (pmc_ulong i = 0; status == PMC_S_OK && i < bytes_.count(); ++i) {
        status = oid->append_arc(bytes_.data()[i]);
    }
    return status;
}

pmc_long CPmsOctetString::write_index(IPmsOid* oid, bool implied) const {
    if (oid == nullptr) return PMC_E_INVALID_ARG;
    oid->clear();
    return append_index(oid, implied);
}

pmc_long CPmsOctetString::read_index(IPmsOid* source, bool implied, pmc_ulong count) {
    if (source == nullptr) return PMC_E_INVALID_ARG;
    clear();
    PmsArcReader reader(*source);
    pmc_ulong position = 0;
    pmc_ulong arc = 0;
    pmc_long status = PMC_S_OK;
    if (domain_arc_ != 0) {
        if ((status = reader.get(position++, &arc)) != PMC_S_OK) return status;
        if (arc != domain_arc_) return PMC_E_BAD_INDEX;
    }
    pmc_ulong n = fixed_size_;
    if (!implied) {
        if ((status = reader.get(position++, &arc)) != PMC_S_OK) return status;
        if (is_fixed() && arc != fixed_size_) return PMC_E_BAD_INDEX;
        // 64-bit so that a length arc near 2^32 cannot wrap past the check.
        if (!is_fixed() && static_cast<std::uint64_t>(position) + arc > reader.arc_count()) return PMC_E_BAD_INDEX;
        n = arc;
    } else if (!is_fixed()) {
        n = (count == PMS_ALL_ARCS || count >= reader.arc_count()) ? reader.arc_count() - position : count;
    }
    if (!is_fixed() && !bytes_.reserve(n)) return PMC_E_NO_MEMORY;
    for (pmc_ulong i = 0; i < n; ++i) {
        if ((status = reader.get(position + i, &arc)) != PMC_S_OK) return status;
        if (arc > kMaxByteArc) return PMC_E_BAD_INDEX;
        if (is_fixed()) {
            bytes_.data()[i] = static_cast<unsigned char>(arc);
        } else if (!bytes_.append(static_cast<unsigned char>(arc))) {
            return PMC_E_NO_MEMORY;
        }
    }
    return PMC_S_OK;
}

pmc_long CPmsOctetString::store_scanned_bytes(const pmc_ulong* numbers, pmc_ulong count, pmc_ulong offset) {
    for (pmc_ulong i = 0; i < count; ++i) {
        if (numbers[i] > kMaxByteArc) return PMC_E_INVALID_ARG;
        bytes_.data()[offset + i] = static_cast<unsigned char>(numbers[i]);
    }
    return PMC_S_OK;
}

// Opaque

IPmsValue* CPmsOpaque::clone(pmc_long* status) const { return pms_clone_kind<CPmsOpaque>(*this, status); }

void CPmsOpaque::query_interface(pmc_long id, void** out) {
    if (out != nullptr && id == pms_kind_iid(PMS_TYPE_OPAQUE)) {
        *out = this;
        return;
    }
    CPmsOctetString::query_interface(id, out);
}
