// CPmsOid: popping from the front and the table-index forms.
#include <cstdint>

#include "value/arc_reader.h"
#include "value/oid.h"
#include <pmsnmp/owned.h>
#include "value/value_factory.h"

// Index form of an identifier as a value

pmc_ulong CPmsOid::get_index_length(bool implied) const { return arc_count() + (implied ? 0 : 1); }

pmc_long CPmsOid::append_index(IPmsOid* oid, bool implied) const {
    if (oid == nullptr) return PMC_E_INVALID_ARG;
    if (from(oid) == this) {
        // Appending our own form to ourselves: work from a copy of the text.
        pmc::Owned<IPmsOid> copy(clone_oid(nullptr));
        if (!copy) return PMC_E_NO_MEMORY;
        return copy->append_index(oid, implied);
    }
    // The index goes to the wire as arcs: a wider one cannot be written.
    if (!pms_oid_arcs_fit(dotted().c_str(), dotted().length())) return PMC_E_INVALID_ARG;
    if (!implied) {
        const pmc_long status = oid->append_arc(arc_count());
        if (status != PMC_S_OK) return status;
    }
    return oid->append_oid(this);
}

pmc_long CPmsOid::write_index(IPmsOid* oid, bool implied) const {
    if (oid == nullptr) return PMC_E_INVALID_ARG;
    if (from(oid) == this) {
        pmc::Owned<IPmsOid> copy(clone_oid(nullptr));
        if (!copy) return PMC_E_NO_MEMORY;
        return copy->write_index(oid, implied);
    }
    if (!pms_oid_arcs_fit(dotted().c_str(), dotted().length())) return PMC_E_INVALID_ARG;
    oid->clear();
    return append_index(oid, implied);
}

pmc_long CPmsOid::read_index(IPmsOid* source, bool implied, pmc_ulong count) {
    if (source == nullptr) return PMC_E_INVALID_ARG;
    clear();
    PmsArcReader reader(*source);
    pmc_ulong position = 0;
    pmc_ulong arc = 0;
    pmc_long status = PMC_S_OK;
    pmc_ulong n = count == PMS_ALL_ARCS ? reader.arc_count() : count;
    if (!implied) {
        if ((status = reader.get(position++, &arc)) != PMC_S_OK) return status;
        if (static_cast<std::uint64_t>(position) + arc > reader.arc_count()) return PMC_E_BAD_INDEX;
        n = arc;
    }
    for (pmc_ulong i = 0; i < n; ++i) {
        if ((status = reader.get(position + i, &arc)) != PMC_S_OK) return status;
        if ((status = append_arc(arc)) != PMC_S_OK) return status;
    }
    return PMC_S_OK;
}

// Appending index forms

pmc_long CPmsOid::append_text_index(const char* text, pmc_long type, bool implied) {
    if (text == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = PMC_S_OK;
    pmc::Owned<IPmsValue> value(pms_create_value(type, &status));
    if (!value) return status;
    if ((status = value->set_text(text)) != PMC_S_OK) return status;
    // An identifier keeps any text it is given; only a valid one is an index.
    if (!value->is_valid()) return PMC_E_INVALID_ARG;
    return append_value_index(value.get(), implied);
}

pmc_long CPmsOid::append_value_index(const IPmsValue* value, bool implied) {
    if (value == nullptr) return PMC_E_INVALID_ARG;
    const std::size_t length = dotted().length();
    const pmc_long count = arc_count_;
    const pmc_long status = value->append_index(this, implied);
    if (status != PMC_S_OK) {
        // A form that could not be appended whole leaves no part behind.
        edit_text().truncate(length);
        arc_count_ = count;
    }
    return status;
}

// Popping from the front

IPmsOid* CPmsOid::pop_oid(pmc_ulong count, pmc_long* status) {
    CPmsOid* front = pms_new_kind<CPmsOid>(status);
    if (front == nullptr) return nullptr;
    const pmc_long result = pop_into_value(front, count);
    if (result != PMC_S_OK) {
        front->release();
        pms_report(status, result);
        return nullptr;
    }
    return front;
}

pmc_long CPmsOid::pop_into_value(IPmsValue* value, pmc_ulong count) {
    if (value == nullptr) return PMC_E_INVALID_ARG;
    PmcTextBuffer prefix;
    if (!prefix.assign(dotted().c_str(), prefix_length(count))) return PMC_E_NO_MEMORY;
    const pmc_long status = value->set_text(prefix.c_str());
    if (status != PMC_S_OK) return status;
    if (count != 0 && !dotted().empty()) remove_arcs(0, count);
    return PMC_S_OK;
}

pmc_ulong CPmsOid::pop_arc(pmc_long* status) {
    pmc_long result = PMC_S_OK;
    const pmc_ulong arc = get_element(0, &result);
    if (result != PMC_S_OK) {
        pms_report(status, result);
        return PMS_BAD_NUMBER;
    }
    remove_arcs(0, 1);
    pms_report(status, PMC_S_OK);
    return arc;
}

IPmcByteString* CPmsOid::pop_text_new(pmc_ulong count, pmc_long* status) {
    pmc::Owned<IPmcByteString> text(pmc_create_byte_string(status));
    if (!text) return nullptr;
    const pmc_long result = pop_text_into(text.get(), count);
    pms_report(status, result);
    return result == PMC_S_OK ? text.release() : nullptr;
}

pmc_long CPmsOid::pop_text_into(IPmcByteString* out, pmc_ulong count) {
    if (out == nullptr) return PMC_E_INVALID_ARG;
    const pmc_long status = out->assign(dotted().c_str(), static_cast<pmc_ulong>(prefix_length(count)));
    if (status != PMC_S_OK) return status;
    if (count != 0 && !dotted().empty()) remove_arcs(0, count);
    return PMC_S_OK;
}

IPmsValue* CPmsOid::pop_index_new(pmc_long type, pmc_long* status, bool implied, pmc_ulong count) {
    pmc::Owned<IPmsValue> value(pms_create_value(type, status));
    if (!value) return nullptr;
    const pmc_long result = pop_index_into(value.get(), implied, count);
    pms_report(status, result);
    return result == PMC_S_OK ? value.release() : nullptr;
}

pmc_long CPmsOid::pop_index_into(IPmsValue* value, bool implied, pmc_ulong count) {
    if (value == nullptr) return PMC_E_INVALID_ARG;
    const pmc_long status = value->read_index(this, implied, count);
    if (status != PMC_S_OK) return status;
    // Remove what the value's form occupies: a caller's count can differ
    // from it for the fixed-size kinds, which ignore the count.
    const pmc_ulong consumed = value->get_index_length(implied);
    if (consumed == 0 || dotted().empty()) return PMC_S_OK;
    return remove_arcs(0, consumed);
}

IPmsValue* CPmsOid::decode_index_new(pmc_long type, pmc_long* status, bool implied) {
    pmc::Owned<IPmsValue> value(pms_create_value(type, status));
    if (!value) return nullptr;
    const pmc_long result = decode_index_into(value.get(), implied);
    pms_report(status, result);
    return result == PMC_S_OK ? value.release() : nullptr;
}

pmc_long CPmsOid::decode_index_into(IPmsValue* value, bool implied) {
    if (value == nullptr) return PMC_E_INVALID_ARG;
    return value->read_index(this, implied, PMS_ALL_ARCS);
}

pmc_long CPmsOid::encode_index(const IPmsValue* value, bool implied) {
    if (value == nullptr) return PMC_E_INVALID_ARG;
    return value->write_index(this, implied);
}
