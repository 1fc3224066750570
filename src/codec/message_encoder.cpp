#include "codec/message_encoder.h"

#include <cstring>

#include "codec/ber.h"
#include "log/component_log.h"
#include "message/pdu_factory.h"
#include "value/oid.h"
#include "value/oid_arcs.h"

pmc_long CPmsMessageEncoder::encode(IPmsPdu* pdu, IPmsSnmpTarget* target, IPmsMessageBuffer* buffer,
                                    pmc_ulong* encoded_count) {
    encoded_count_ = 0;
    last_size_ = 0;
    if (encoded_count != nullptr) *encoded_count = 0;
    if (buffer == nullptr || target == nullptr || pdu == nullptr) return PMC_E_INVALID_ARG;
    version_ = target->get_version();

    const pmc_long max_size = target->get_max_message_size();
    const pmc_ulong size = max_size > 0 ? static_cast<pmc_ulong>(max_size) : 0;
    if (!buffer->allocate(size)) return PMC_E_NO_MEMORY;
    writer_ = CPmsBackwardWriter(buffer->data(), buffer->size());

    pmc_long status = encode_pdu(pdu);
    if (status == PMC_S_OK) status = target->accept(this);
    if (status == PMC_S_OK) {
        writer_.put_header(NPmcBer::TAG_SEQUENCE, writer_.written());
        if (writer_.overflowed()) status = PMC_E_MESSAGE_TOO_LARGE;
    }
    if (status == PMC_S_OK) buffer->seek(buffer->size() - writer_.written());
    if (encoded_count != nullptr) *encoded_count = encoded_count_;
    return status;
}

namespace {

// Only the PDU types with a tag; an unset type (-1) would otherwise reach
// the wire as a bogus tag.
bool has_pdu_tag(pmc_long type) {
    switch (type) {
    case PMS_PDU_GET:
    case PMS_PDU_GET_NEXT:
    case PMS_PDU_RESPONSE:
    case PMS_PDU_SET:
    case PMS_PDU_TRAP:
    case PMS_PDU_GET_BULK:
    case PMS_PDU_INFORM:
    case PMS_PDU_REPORT:
        return true;
    default:
        return false;
    }
}

}  // namespace

pmc_long CPmsMessageEncoder::encode_pdu(IPmsPdu* pdu) {
    const pmc_long type = pdu->get_type();
    if (!has_pdu_tag(type)) return PMC_E_INVALID_ARG;
    IPmsVarBindList* list = pdu->get_varbind_list();
    if (list == nullptr) {
        pmc_long status = PMC_S_OK;
        list = create_varbind_list(&status);
        if (list == nullptr) return status;
        pdu->set_varbind_list(list);
    }
    pmc_long status = encode_bindings(list);
    if (status != PMC_S_OK) return status;

    if (type == PMS_PDU_TRAP) {
        if (version_ != PMS_VERSION_1) return PMC_E_NOT_SUPPORTED;
        status = encode_trap_fields(pdu);
        if (status != PMC_S_OK) return status;
    } else {
        writer_.put_integer(NPmcBer::TAG_INTEGER, pdu->get_error_index());
        writer_.put_integer(NPmcBer::TAG_INTEGER, pdu->get_error_status());
        writer_.put_integer(NPmcBer::TAG_INTEGER, pdu->get_request_id());
    }
    writer_.put_header(static_cast<unsigned char>(NPmcBer::TAG_PDU_BASE + type),
                       writer_.written());
    return writer_.overflowed() ? PMC_E_MESSAGE_TOO_LARGE : PMC_S_OK;
}

pmc_long CPmsMessageEncoder::encode_bindings(IPmsVarBindList* list) {
    // From the last binding to the first, so the count names the bindings
    // that fitted at the end of the list.
    for (pmc_ulong i = list->count(); i > 0; --i) {
        const pmc_long status = encode_binding(list->get_at(i - 1));
        if (status != PMC_S_OK) return status;
        if (writer_.overflowed()) return PMC_E_MESSAGE_TOO_LARGE;
        ++encoded_count_;
    }
    writer_.put_header(NPmcBer::TAG_SEQUENCE, writer_.written());
    return writer_.overflowed() ? PMC_E_MESSAGE_TOO_LARGE : PMC_S_OK;
}

pmc_long CPmsMessageEncoder::encode_binding(IPmsVarBind* binding) {
    if (binding == nullptr) return PMC_E_INVALID_ARG;
    const IPmsOid* name = binding->get_oid();
    if (name == nullptr) return PMC_E_INVALID_ARG;
    const pmc_ulong before = writer_.written();
    IPmsValue* value = binding->get_value();
    // A binding whose value was taken away travels as NULL, as a request's
    // would.
    pmc_long status = value != nullptr ? value->accept(this) : visit_null(nullptr);
    if (status != PMC_S_OK) return status;
    status = encode_oid(name);
    if (status != PMC_S_OK) return status;
    writer_.put_header(NPmcBer::TAG_SEQUENCE, writer_.written() - before);
    return PMC_S_OK;
}

pmc_long CPmsMessageEncoder::read_arcs(const IPmsOid* oid, pmc_ulong* count) {
    pmc_long status = pms_oid_read_arcs(oid, arcs_.data(), arcs_.capacity(), count);
    if (status == PMC_E_OUT_OF_RANGE) {
        if (!arcs_.reserve(*count)) return PMC_E_NO_MEMORY;
        status = pms_oid_read_arcs(oid, arcs_.data(), arcs_.capacity(), count);
    }
    return status;
}

pmc_long CPmsMessageEncoder::encode_oid(const IPmsOid* oid) {
    // A name sent before (a poll, or the name a walk got back) is copied.
    const CPmsOid* ours = CPmsOid::from(oid);
    pmc_ulong form_length = 0;
    const unsigned char* form = ours != nullptr ? ours->codec_form(&form_length) : nullptr;
    const pmc_ulong before = writer_.written();
    if (form != nullptr) {
        writer_.put_run(form, form_length);
        writer_.put_header(NPmcBer::TAG_OID, form_length);
        return finish_element(before);
    }
    pmc_ulong count = 0;
    const pmc_long status = read_arcs(oid, &count);
    if (status == PMC_E_INVALID_ARG) {
        // Malformed, or an arc above 32 bits that would go out as another one.
        pmc_snmp_log()->write_line(PMC_LOG_ERROR, "encode error: oid text is wrong.");
    }
    if (status != PMC_S_OK) return status;
    return put_oid_element(arcs_.data(), count, ours);
}

pmc_long CPmsMessageEncoder::put_oid_element(const pmc_ulong* arcs, pmc_ulong count, const CPmsOid* keeper) {
    if (count == 1) {
        pmc_snmp_log()->write_line(PMC_LOG_ERROR, "encode error:oid size is 1.");
        return PMC_E_INVALID_ARG;
    }
    const pmc_ulong before = writer_.written();
    writer_.put_oid_arcs(arcs, count);
    const pmc_ulong contents = writer_.written() - before;
    if (keeper != nullptr && !writer_.overflowed()) keeper->remember_codec_form(writer_.position(), contents);
    writer_.put_header(NPmcBer::TAG_OID, contents);
    return finish_element(before);
}

pmc_long CPmsMessageEncoder::finish_element(pmc_ulong before) {
    last_size_ = writer_.written() - before;
    return PMC_S_OK;
}

pmc_long CPmsMessageEncoder::visit_oid(IPmsOid* value) { return encode_oid(value); }

pmc_long CPmsMessageEncoder::put_octets_value(IPmsValue* value) {
    pmc_ulong length = 0;
    pmc_long status = PMC_S_OK;
    const unsigned char* octets = value->get_bytes(&length, &status);
    if (status != PMC_S_OK) return status;
    const pmc_ulong before = writer_.written();
    writer_.put_run(octets, length);
    writer_.put_header(static_cast<unsigned char>(value->get_type()), length);
    return finish_element(before);
}

pmc_long CPmsMessageEncoder::visit_octet_string(IPmsValue* value) {
    return put_octets_value(value);
}

pmc_long CPmsMessageEncoder::visit_integer(IPmsValue* value) {
    pmc_long status = PMC_S_OK;
    const pmc_long number = value->get_int(&status);
    if (status != PMC_S_OK) return status;
    const pmc_ulong before = writer_.written();
    writer_.put_integer(NPmcBer::TAG_INTEGER, number);
    return finish_element(before);
}

pmc_long CPmsMessageEncoder::visit_null(IPmsValue*) {
    const pmc_ulong before = writer_.written();
    writer_.put_header(NPmcBer::TAG_NULL, 0);
    return finish_element(before);
}

pmc_long CPmsMessageEncoder::put_unsigned_value(IPmsValue* value) {
    pmc_long status = PMC_S_OK;
    const pmc_ulong number = value->get_uint(&status);
    if (status != PMC_S_OK) return status;
    const pmc_ulong before = writer_.written();
    writer_.put_unsigned_element(static_cast<unsigned char>(value->get_type()), number);
    return finish_element(before);
}

pmc_long CPmsMessageEncoder::visit_counter32(IPmsValue* value) { return put_unsigned_value(value); }
pmc_long CPmsMessageEncoder::visit_gauge32(IPmsValue* value) { return put_unsigned_value(value); }
pmc_long CPmsMessageEncoder::visit_time_ticks(IPmsValue* value) { return put_unsigned_value(value); }

pmc_long CPmsMessageEncoder::visit_counter64(IPmsValue* value) {
    pmc_long status = PMC_S_OK;
    const pmc_ulong high = value->get_uint_high(&status);
    if (status != PMC_S_OK) return status;
    const pmc_ulong low = value->get_uint_low(&status);
    if (status != PMC_S_OK) return status;
    const pmc_ulong before = writer_.written();
    writer_.put_counter64(high, low);
    writer_.put_header(NPmcBer::TAG_COUNTER64, writer_.written() - before);
    return finish_element(before);
}

pmc_long CPmsMessageEncoder::visit_ip_address(IPmsValue* value) { return put_octets_value(value); }
pmc_long CPmsMessageEncoder::visit_ipv6_address(IPmsValue* value) {
    return put_octets_value(value);
}
pmc_long CPmsMessageEncoder::visit_udp_address(IPmsValue*) { return PMC_E_NOT_SUPPORTED; }
pmc_long CPmsMessageEncoder::visit_ipx_address(IPmsValue*) { return PMC_E_NOT_SUPPORTED; }

pmc_long CPmsMessageEncoder::visit_exception(IPmsValue* value) {
    const pmc_ulong before = writer_.written();
    writer_.put_header(static_cast<unsigned char>(value->get_type()), 0);
    return finish_element(before);
}

pmc_long CPmsMessageEncoder::visit_community_header(IPmsCommunityTarget* target) {
    const char* community = target != nullptr ? target->get_community() : nullptr;
    const pmc_ulong length = community != nullptr ? static_cast<pmc_ulong>(std::strlen(community)) : 0;
    writer_.put_run(reinterpret_cast<const unsigned char*>(community), length);
    writer_.put_header(NPmcBer::TAG_OCTET_STRING, length);
    writer_.put_integer(NPmcBer::TAG_INTEGER, version_);
    return writer_.overflowed() ? PMC_E_MESSAGE_TOO_LARGE : PMC_S_OK;
}

pmc_long CPmsMessageEncoder::visit_v3_header(IPmsV3Target*) { return PMC_E_NOT_SUPPORTED; }
