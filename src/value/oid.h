// OBJECT IDENTIFIER: a value seen as dotted decimal text, with the arc
// operations variable names need and the table-index forms. The codec works
// in arcs, so short identifiers keep their arcs beside the text; arcs stored
// by the codec make the text only when someone reads it.
#ifndef PMSNMP_VALUE_OID_H
#define PMSNMP_VALUE_OID_H

#include <cstddef>

#include "value/oid_msvc_view.h"
#include "value/short_octets.h"
#include "value/text_buffer.h"
#include "value/value_base.h"

// CPmsValueBase comes first so that the IPmsValue part is apart from the
// IPmsOid part, which hosts built with MSVC need (value/oid_msvc_view.h).
class CPmsOid : public CPmsValueBase, public IPmsOid {
public:
    // User-provided so that making one does not zero the arc and form room,
    // which is read only as far as it is filled.
    CPmsOid() { pms_serve_msvc_hosts(this, &msvc_bases_); }
    CPmsOid(const CPmsOid&) = delete;
    CPmsOid& operator=(const CPmsOid&) = delete;

    // IPmsValue
    pmc_long accept(IPmsValueVisitor* visitor) override;
    IPmsValue* clone(pmc_long* status) const override;
    pmc_long assign(const IPmsValue* other) override;
    void clear() override {
        text_.clear();
        text_stale_ = false;
        held_arcs_ = kNoArcs;
        form_length_ = 0;
        arc_count_ = 0;
    }
    pmc_long get_type() const override { return PMS_TYPE_OID; }
    bool equals(const IPmsValue* other) const override;
    IPmsOid* as_oid() override { return this; }
    void query_interface(pmc_long id, void** out) override;
    bool is_valid() const override;
    pmc_ulong get_uint(pmc_long* status) const override;
    pmc_long set_uint(pmc_ulong number) override;
    pmc_long get_text_into(IPmcByteString* out) const override;
    pmc_long set_text(const char* text) override;
    const unsigned char* get_bytes(pmc_ulong* length, pmc_long* status) const override;
    pmc_long set_bytes(const unsigned char* data, pmc_ulong count) override;
    pmc_ulong get_length() const override { return arc_count(); }
    pmc_ulong get_index_length(bool implied) const override;
    pmc_ulong get_element(pmc_ulong position, pmc_long* status) const override;
    pmc_long append_index(IPmsOid* oid, bool implied) const override;
    pmc_long write_index(IPmsOid* oid, bool implied) const override;
    pmc_long read_index(IPmsOid* source, bool implied, pmc_ulong count) override;

    // IPmsOid
    IPmsOid* clone_oid(pmc_long* status) const override;
    pmc_long compare_text(const char* text, pmc_long* status) const override;
    pmc_long compare(const IPmsOid* other, pmc_long* status) const override;
    pmc_long remove_prefix_text(const char* prefix) override;
    pmc_long remove_prefix(const IPmsOid* prefix) override;
    pmc_long append_text(const char* text) override;
    pmc_long append_arc(pmc_ulong arc) override;
    pmc_long append_oid(const IPmsOid* other) override;
    pmc_long append_text_index(const char* text, pmc_long type, bool implied) override;
    pmc_long append_value_index(const IPmsValue* value, bool implied) override;
    IPmsOid* pop_oid(pmc_ulong count, pmc_long* status) override;
    pmc_long pop_into_value(IPmsValue* value, pmc_ulong count) override;
    pmc_ulong pop_arc(pmc_long* status) override;
    IPmcByteString* pop_text_new(pmc_ulong count, pmc_long* status) override;
    pmc_long pop_text_into(IPmcByteString* out, pmc_ulong count) override;
    IPmsValue* pop_index_new(pmc_long type, pmc_long* status, bool implied, pmc_ulong count) override;
    pmc_long pop_index_into(IPmsValue* value, bool implied, pmc_ulong count) override;
    pmc_long remove_arcs(pmc_ulong start, pmc_ulong count) override;
    IPmsValue* decode_index_new(pmc_long type, pmc_long* status, bool implied) override;
    pmc_long decode_index_into(IPmsValue* value, bool implied) override;
    pmc_long encode_index(const IPmsValue* value, bool implied) override;

    // The dotted text, made first when only arcs are held.
    const PmcTextBuffer& dotted() const {
        if (text_stale_) make_text();
        return text_;
    }
    pmc_ulong arc_count() const;

    // Inside the library: the codec's arc paths.
    static constexpr pmc_ulong CACHED_ARCS_MAX = 24;
    // The arcs when they are held (null otherwise, and for longer names).
    const pmc_ulong* cached_arcs(pmc_ulong* count) const {
        if (held_arcs_ < 0) return nullptr;
        *count = static_cast<pmc_ulong>(held_arcs_);
        return arcs_;
    }
    // Keeps arcs parsed from the current text beside it.
    void remember_arcs(const pmc_ulong* arcs, pmc_ulong count) const;
    // Room for CACHED_ARCS_MAX arcs to parse straight into; the identifier
    // is empty until commit_arcs(count, ...) holds the first count of them.
    pmc_ulong* arc_room() {
        CPmsOid::clear();
        return arcs_;
    }
    pmc_long commit_arcs(pmc_ulong count, std::size_t text_room) {
        if (count > CACHED_ARCS_MAX) return PMC_E_INVALID_ARG;
        if (!text_.reserve(text_room)) return PMC_E_NO_MEMORY;
        held_arcs_ = static_cast<pmc_long>(count);
        arc_count_ = held_arcs_;
        text_stale_ = true;
        form_length_ = 0;
        return PMC_S_OK;
    }
    // Holds arcs[0..count) (count <= CACHED_ARCS_MAX) as the identifier;
    // text_room (at least the length of their dotted text) is taken now so
    // that reading the text later cannot fail. -3 and no change when memory
    // runs out.
    pmc_long store_arcs(const pmc_ulong* arcs, pmc_ulong count, std::size_t text_room);
    // The codec's own form of the current value (opaque here), kept so that
    // a name is not converted again; null when none is kept.
    static constexpr pmc_ulong CODEC_FORM_MAX = 32;
    const unsigned char* codec_form(pmc_ulong* length) const {
        *length = form_length_;
        return form_length_ != 0 ? form_ : nullptr;
    }
    void remember_codec_form(const unsigned char* form, pmc_ulong length) const {
        if (length > CODEC_FORM_MAX) length = 0;
        pms_copy_short(form_, form, length);
        form_length_ = length;
    }
    // The text to rewrite (the held arcs and codec form are dropped).
    PmcTextBuffer& edit_text();
    void set_arc_count(pmc_ulong count) { arc_count_ = static_cast<pmc_long>(count); }
    void forget_arc_count() { arc_count_ = kUnknownCount; }

    // Our implementation behind any IPmsOid, or null for a foreign one.
    static CPmsOid* from(const IPmsOid* oid) {
        if (oid == nullptr) return nullptr;
        auto* value = const_cast<IPmsValue*>(static_cast<const IPmsValue*>(oid));
        void* ours = nullptr;
        value->query_interface(PMS_IID_OID_IMPL, &ours);
        return static_cast<CPmsOid*>(ours);
    }

private:
    static constexpr pmc_long kUnknownCount = -1;

    // Character offset where arc k (< arc count) starts.
    std::size_t arc_offset(pmc_ulong k) const;
    // Characters of the first `count` arcs, without the following ".".
    std::size_t prefix_length(pmc_ulong count) const;
    void add_to_known_count(pmc_ulong arcs);

    static constexpr pmc_long kNoArcs = -1;            // not read from the text yet
    static constexpr pmc_long kArcsUnavailable = -2;   // the text cannot be held as arcs

    void make_text() const;
    void hold_arcs() const;

    // First, so that it follows the IPmsOid part, where MSVC hosts read it.
    PmsMsvcBases msvc_bases_;

    // The text is stale while text_stale_; the arcs are held while
    // held_arcs_ >= 0.
    mutable PmcTextBuffer text_;
    mutable pmc_long arc_count_ = 0;
    mutable pmc_long held_arcs_ = kNoArcs;
    mutable bool text_stale_ = false;
    mutable pmc_ulong arcs_[CACHED_ARCS_MAX];
    mutable pmc_ulong form_length_ = 0;  // 0: no codec form
    mutable unsigned char form_[CODEC_FORM_MAX];
};

// Relation of text a to text b by the identifiers' text order.
pmc_long pms_compare_oid_texts(const char* a, std::size_t a_length, const char* b, std::size_t b_length);

// The identifier grammar: empty, or arcs of digits without leading zeros
// separated by single dots, each arc at most 4294967295.
bool pms_is_valid_oid_text(const char* text, std::size_t length);

// False when a run of digits in text stands for more than 32 bits.
bool pms_oid_arcs_fit(const char* text, std::size_t length);

#endif
