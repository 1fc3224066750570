#include "value/oid.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "value/arc_reader.h"
#include "value/oid_arcs.h"
#include "value/text_scan.h"
#include "value/value_factory.h"

namespace {

// The text of another identifier (ours or a host's) without copying.
const char* text_of(const IPmsValue& oid, std::size_t* length) {
    pmc_ulong count = 0;
    const unsigned char* text = oid.get_bytes(&count, nullptr);
    *length = text != nullptr ? count : 0;
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// An arc is an unsigned 32-bit number: ten digits at most, and no more than
// 4294967295.
constexpr std::size_t kArcDigitsMax = 10;
constexpr std::uint64_t kArcMax = 0xFFFFFFFFu;

bool arc_fits(const char* digits, std::size_t count) {
    if (count > kArcDigitsMax) return false;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = value * 10u + static_cast<unsigned>(digits[i] - '0');
    return value <= kArcMax;
}

}  // namespace

pmc_long pms_compare_oid_texts(const char* a, std::size_t a_length, const char* b, std::size_t b_length) {
    std::size_t i = 0;
    for (; i < a_length && i < b_length; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca != cb) return ca > cb ? PMS_OID_AFTER : PMS_OID_BEFORE;
    }
    if (a_length == b_length) return PMS_OID_EQUAL;
    if (i == a_length) return b[i] == '.' ? PMS_OID_ABOVE : PMS_OID_BEFORE;
    return a[i] == '.' ? PMS_OID_BELOW : PMS_OID_AFTER;
}

bool pms_is_valid_oid_text(const char* text, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        if (!is_digit(text[i])) return false;
        if (text[i] == '0' && i + 1 < length && text[i + 1] != '.') return false;
        const std::size_t first = i;
        while (i < length && is_digit(text[i])) ++i;
        if (!arc_fits(text + first, i - first)) return false;
        if (i == length) return true;
        if (text[i] != '.' || i + 1 == length) return false;
        ++i;
    }
    return true;
}

bool pms_oid_arcs_fit(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length;) {
        const std::size_t first = i;
        while (i < length && is_digit(text[i])) ++i;
        if (!arc_fits(text + first, i - first)) return false;
        if (i == first) ++i;
    }
    return true;
}

pmc_ulong CPmsOid::arc_count() const {
    if (arc_count_ == kUnknownCount) {
        arc_count_ = static_cast<pmc_long>(pms_count_arcs(dotted().c_str(), dotted().length()));
    }
    return static_cast<pmc_ulong>(arc_count_);
}

void CPmsOid::make_text() const {
    // store_arcs reserved the room: this never allocates.
    const auto count = static_cast<pmc_ulong>(held_arcs_);
    char* text = text_.overwrite(pms_dotted_length(arcs_, count));
    if (text != nullptr) pms_write_dotted(text, arcs_, count);
    text_stale_ = false;
}

void CPmsOid::hold_arcs() const {
    pmc_ulong arcs[CACHED_ARCS_MAX];
    pmc_ulong count = 0;
    // Success remembers them; a malformed or long text is not tried again.
    if (pms_oid_read_arcs(this, arcs, CACHED_ARCS_MAX, &count) != PMC_S_OK) held_arcs_ = kArcsUnavailable;
}

void CPmsOid::remember_arcs(const pmc_ulong* arcs, pmc_ulong count) const {
    if (count > CACHED_ARCS_MAX || text_stale_) return;
    std::copy(arcs, arcs + count, arcs_);
    held_arcs_ = static_cast<pmc_long>(count);
    arc_count_ = held_arcs_;
}

pmc_long CPmsOid::store_arcs(const pmc_ulong* arcs, pmc_ulong count, std::size_t text_room) {
    if (count > CACHED_ARCS_MAX) return PMC_E_INVALID_ARG;
    if (!text_.reserve(text_room)) return PMC_E_NO_MEMORY;
    std::copy(arcs, arcs + count, arcs_);
    return commit_arcs(count, text_room);
}

PmcTextBuffer& CPmsOid::edit_text() {
    if (text_stale_) make_text();
    held_arcs_ = kNoArcs;
    form_length_ = 0;
    return text_;
}

void CPmsOid::add_to_known_count(pmc_ulong arcs) {
    if (arc_count_ != kUnknownCount) arc_count_ += static_cast<pmc_long>(arcs);
}

std::size_t CPmsOid::arc_offset(pmc_ulong k) const {
    const char* text = dotted().c_str();
    const char* p = text;
    for (pmc_ulong i = 0; i < k; ++i) {
        p = static_cast<const char*>(std::memchr(p, '.', dotted().length() - static_cast<std::size_t>(p - text))) + 1;
    }
    return static_cast<std::size_t>(p - text);
}

std::size_t CPmsOid::prefix_length(pmc_ulong count) const {
    if (count == 0) return 0;
    if (count >= arc_count()) return dotted().length();
    return arc_offset(count) - 1;
}

// IPmsValue

pmc_long CPmsOid::accept(IPmsValueVisitor* visitor) {
    if (visitor == nullptr) return PMC_E_INVALID_ARG;
    return visitor->visit_oid(this);
}

IPmsValue* CPmsOid::clone(pmc_long* status) const { return clone_oid(status); }

pmc_long CPmsOid::assign(const IPmsValue* other) {
    if (!same_type(other)) return PMC_E_INVALID_ARG;
    std::size_t length = 0;
    const char* text = text_of(*other, &length);
    if (!edit_text().assign(text, length)) return PMC_E_NO_MEMORY;
    forget_arc_count();
    return PMC_S_OK;
}

bool CPmsOid::equals(const IPmsValue* other) const {
    if (!same_type(other)) return false;
    std::size_t length = 0;
    const char* text = text_of(*other, &length);
    return length == dotted().length() && std::memcmp(text, dotted().c_str(), length) == 0;
}

void CPmsOid::query_interface(pmc_long id, void** out) {
    // Asked first: the codec asks for every name it reads or writes.
    if (out != nullptr && id == PMS_IID_OID_IMPL) {
        *out = this;
        return;
    }
    if (out != nullptr && (id == PMS_IID_OID_SHORT || id == pms_kind_iid(PMS_TYPE_OID))) {
        *out = static_cast<IPmsOid*>(this);
        return;
    }
    CPmsValueBase::query_interface(id, out);
}

bool CPmsOid::is_valid() const { return pms_is_valid_oid_text(dotted().c_str(), dotted().length()); }

pmc_ulong CPmsOid::get_uint(pmc_long* status) const {
    pms_report(status, PMC_S_OK);
    return pms_scan_atol(dotted().c_str(), dotted().c_str() + dotted().length());
}

pmc_long CPmsOid::set_uint(pmc_ulong number) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    if (!edit_text().assign(digits, static_cast<std::size_t>(result.ptr - digits))) return PMC_E_NO_MEMORY;
    arc_count_ = 1;
    return PMC_S_OK;
}

pmc_long CPmsOid::get_text_into(IPmcByteString* out) const {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    return out->assign(dotted().c_str(), static_cast<pmc_ulong>(dotted().length()));
}

pmc_long CPmsOid::set_text(const char* text) {
    if (text == nullptr) text = "";
    if (!edit_text().assign(text, std::strlen(text))) return PMC_E_NO_MEMORY;
    forget_arc_count();
    return PMC_S_OK;
}

const unsigned char* CPmsOid::get_bytes(pmc_ulong* length, pmc_long* status) const {
    if (length == nullptr) {
        pms_report(status, PMC_E_INVALID_ARG);
        return nullptr;
    }
    *length = static_cast<pmc_ulong>(dotted().length());
    pms_report(status, PMC_S_OK);
    return reinterpret_cast<const unsigned char*>(dotted().c_str());
}

pmc_long CPmsOid::set_bytes(const unsigned char* data, pmc_ulong count) {
    if (data == nullptr) return PMC_E_INVALID_ARG;
    if (!edit_text().assign(reinterpret_cast<const char*>(data), count)) return PMC_E_NO_MEMORY;
    forget_arc_count();
    return PMC_S_OK;
}

pmc_ulong CPmsOid::get_element(pmc_ulong position, pmc_long* status) const {
    // Reading arc by arc: parse the text once rather than scan it each time.
    if (held_arcs_ == kNoArcs) hold_arcs();
    if (held_arcs_ > 0 && position < static_cast<pmc_ulong>(held_arcs_)) {
        pms_report(status, PMC_S_OK);
        return arcs_[position];
    }
    if (dotted().empty()) {
        pms_report(status, PMC_E_EMPTY_OID);
        return PMS_BAD_NUMBER;
    }
    if (position >= arc_count()) {
        pms_report(status, PMC_E_OUT_OF_RANGE);
        return PMS_BAD_NUMBER;
    }
    const char* text = dotted().c_str();
    const char* start = text + arc_offset(position);
    const char* end = static_cast<const char*>(std::memchr(start, '.', dotted().length() - static_cast<std::size_t>(start - text)));
    pms_report(status, PMC_S_OK);
    return pms_scan_atol(start, end != nullptr ? end : text + dotted().length());
}

// IPmsOid: comparing, appending, removing

IPmsOid* CPmsOid::clone_oid(pmc_long* status) const {
    CPmsOid* copy = pms_new_kind<CPmsOid>(status);
    if (copy == nullptr) return nullptr;
    if (!copy->edit_text().assign(dotted().c_str(), dotted().length())) {
        copy->release();
        pms_report(status, PMC_E_NO_MEMORY);
        return nullptr;
    }
    copy->arc_count_ = arc_count_;
    if (held_arcs_ >= 0) copy->remember_arcs(arcs_, static_cast<pmc_ulong>(held_arcs_));
    copy->remember_codec_form(form_, form_length_);
    return copy;
}

pmc_long CPmsOid::compare_text(const char* text, pmc_long* status) const {
    if (text == nullptr) {
        pms_report(status, PMC_E_INVALID_ARG);
        return PMS_OID_NO_RELATION;
    }
    pms_report(status, PMC_S_OK);
    return pms_compare_oid_texts(dotted().c_str(), dotted().length(), text, std::strlen(text));
}

pmc_long CPmsOid::compare(const IPmsOid* other, pmc_long* status) const {
    if (other == nullptr) {
        pms_report(status, PMC_E_INVALID_ARG);
        return PMS_OID_NO_RELATION;
    }
    std::size_t length = 0;
    const char* text = text_of(*other, &length);
    pms_report(status, PMC_S_OK);
    return pms_compare_oid_texts(dotted().c_str(), dotted().length(), text, length);
}

pmc_long CPmsOid::remove_prefix_text(const char* prefix) {
    if (prefix == nullptr) return PMC_E_INVALID_ARG;
    const std::size_t length = std::strlen(prefix);
    const pmc_long relation = pms_compare_oid_texts(dotted().c_str(), dotted().length(), prefix, length);
    if (relation != PMS_OID_EQUAL && relation != PMS_OID_BELOW) return PMC_E_INVALID_ARG;
    return remove_arcs(0, pms_count_arcs(prefix, length));
}

pmc_long CPmsOid::remove_prefix(const IPmsOid* prefix) {
    if (prefix == nullptr) return PMC_E_INVALID_ARG;
    std::size_t length = 0;
    const char* text = text_of(*prefix, &length);
    const pmc_long relation = pms_compare_oid_texts(dotted().c_str(), dotted().length(), text, length);
    if (relation != PMS_OID_EQUAL && relation != PMS_OID_BELOW) return PMC_E_INVALID_ARG;
    return remove_arcs(0, prefix->get_length());
}

pmc_long CPmsOid::append_text(const char* text) {
    if (text == nullptr || *text == '\0') return PMC_S_OK;
    if (!edit_text().append_separated('.', text, std::strlen(text))) return PMC_E_NO_MEMORY;
    forget_arc_count();
    return PMC_S_OK;
}

pmc_long CPmsOid::append_arc(pmc_ulong arc) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, arc);
    if (!edit_text().append_separated('.', digits, static_cast<std::size_t>(result.ptr - digits))) {
        return PMC_E_NO_MEMORY;
    }
    add_to_known_count(1);
    return PMC_S_OK;
}

pmc_long CPmsOid::append_oid(const IPmsOid* other) {
    if (other == nullptr) return PMC_E_INVALID_ARG;
    std::size_t length = 0;
    const char* text = text_of(*other, &length);
    if (length == 0) return PMC_S_OK;
    const pmc_ulong added = other->get_length();  // before our text changes, should other be us
    if (!edit_text().append_separated('.', text, length)) return PMC_E_NO_MEMORY;
    add_to_known_count(added);
    return PMC_S_OK;
}

pmc_long CPmsOid::remove_arcs(pmc_ulong start, pmc_ulong count) {
    const pmc_ulong arcs = arc_count();
    if (dotted().empty() || start >= arcs) return PMC_E_INVALID_ARG;
    // Removing nothing must not take a "." with it.
    if (count == 0) return PMC_S_OK;
    const pmc_ulong removed = count > arcs - start ? arcs - start : count;
    const std::size_t begin = arc_offset(start);
    if (start + removed == arcs) {
        edit_text().truncate(start == 0 ? 0 : begin - 1);
    } else {
        const std::size_t end = arc_offset(start + removed);  // just after the "." that follows
        if (start == 0) {
            edit_text().erase(0, end);
        } else {
            edit_text().erase(begin - 1, end - begin);
        }
    }
    arc_count_ = static_cast<pmc_long>(arcs - removed);
    return PMC_S_OK;
}
