#include "codec/message_decoder.h"

#include <cstdint>
#include <cstring>
#include <new>

#include <pmsnmp/owned.h>

#include "codec/ber.h"
#include "log/component_log.h"
#include "message/pdu_factory.h"
#include "message/snmp_packet.h"
#include "value/oid.h"
#include "value/oid_arcs.h"
#include "value/value_factory.h"

namespace {

constexpr pmc_ulong COMMUNITY_INLINE = 256;
constexpr unsigned long long SUBID_MAX = 0xFFFFFFFFull;

pmc_long pdu_type_of_tag(unsigned char tag) {
    switch (tag) {
    case NPmcBer::TAG_PDU_BASE + PMS_PDU_GET: return PMS_PDU_GET;
    case NPmcBer::TAG_PDU_BASE + PMS_PDU_GET_NEXT: return PMS_PDU_GET_NEXT;
    case NPmcBer::TAG_PDU_BASE + PMS_PDU_RESPONSE: return PMS_PDU_RESPONSE;
    case NPmcBer::TAG_PDU_BASE + PMS_PDU_SET: return PMS_PDU_SET;
    case NPmcBer::TAG_PDU_BASE + PMS_PDU_TRAP: return PMS_PDU_TRAP;
    case NPmcBer::TAG_PDU_BASE + PMS_PDU_GET_BULK: return PMS_PDU_GET_BULK;
    case NPmcBer::TAG_PDU_BASE + PMS_PDU_INFORM: return PMS_PDU_INFORM;
    case NPmcBer::TAG_PDU_TRAP_V2: return PMS_PDU_TRAP;
    case NPmcBer::TAG_PDU_BASE + PMS_PDU_REPORT: return PMS_PDU_REPORT;
    default: return PMS_PDU_NONE;
    }
}

bool is_value_tag(unsigned char tag) {
    switch (tag) {
    case NPmcBer::TAG_INTEGER:
    case NPmcBer::TAG_OCTET_STRING:
    case NPmcBer::TAG_NULL:
    case NPmcBer::TAG_OID:
    case NPmcBer::TAG_IP_ADDRESS:
    case NPmcBer::TAG_COUNTER32:
    case NPmcBer::TAG_GAUGE32:
    case NPmcBer::TAG_TIME_TICKS:
    case NPmcBer::TAG_OPAQUE:
    case NPmcBer::TAG_COUNTER64:
    case NPmcBer::TAG_NO_SUCH_OBJECT:
    case NPmcBer::TAG_NO_SUCH_INSTANCE:
    case NPmcBer::TAG_END_OF_MIB_VIEW:
        return true;
    default:
        return false;
    }
}

void log_error(const char* line) { pmc_snmp_log()->write_line(PMC_LOG_ERROR, "%s", line); }

// The one log line of a refusal: what was being read and what was wrong.
pmc_long refuse(const char* field, const char* reason) {
    pmc_snmp_log()->write_line(PMC_LOG_ERROR, "decode error: %s: %s.", field,
                               reason != nullptr ? reason : "malformed");
    return PMC_E_DECODE;
}

void log_bad_oid() { log_error("decode error. oid format is wrong."); }

// The sub-identifier starting at contents[*i] (before length): false when it
// runs past the end or beyond what an arc can carry (the first one also
// carries 40 * arc0). Notes a padding 0x80 first octet in *canonical.
bool read_subidentifier(const unsigned char* contents, pmc_ulong length, pmc_ulong* i,
                        unsigned long long* value, bool* canonical) {
    if (contents[*i] == NPmcBer::SUBID_MORE) *canonical = false;
    unsigned long long sum = 0;
    unsigned char octet = 0;
    do {
        octet = contents[(*i)++];
        sum = (sum << 7) | (octet & NPmcBer::SUBID_MASK);
        if (sum > SUBID_MAX + NPmcBer::FIRST_ARC_FACTOR * NPmcBer::FIRST_ARC_MAX) return false;
    } while ((octet & NPmcBer::SUBID_MORE) != 0 && *i < length);
    *value = sum;
    return (octet & NPmcBer::SUBID_MORE) == 0;
}

// Eight one-octet arcs from octets into arcs, unless one of the octets has
// the continuation bit.
constexpr std::uint64_t CONTINUATION_BITS = 0x8080808080808080ull;
constexpr pmc_ulong RUN = 8;

bool take_single_octet_run(const unsigned char* octets, pmc_ulong* arcs) {
    // A copy of its own, so that the stores below cannot touch what they
    // read and the compiler may widen all eight at once.
    unsigned char run[RUN];
    std::memcpy(run, octets, RUN);
    std::uint64_t word;
    std::memcpy(&word, run, RUN);
    if ((word & CONTINUATION_BITS) != 0) return false;
    for (pmc_ulong k = 0; k < RUN; ++k) arcs[k] = run[k];
    return true;
}

// The arcs of an identifier's contents into arcs (room for length + 1).
// *canonical tells whether no sub-identifier is padded with a leading 0x80,
// so that the encoder would write the same octets.
pmc_long parse_arcs_into(const unsigned char* contents, pmc_ulong length, pmc_ulong* arcs,
                         pmc_ulong* count, bool* canonical) {
    *count = 0;
    *canonical = true;
    if (length == 0) return PMC_S_OK;
    pmc_ulong i = 0;
    unsigned long long value = 0;
    if (!read_subidentifier(contents, length, &i, &value, canonical)) {
        log_bad_oid();
        return PMC_E_DECODE;
    }
    unsigned long long first = value / NPmcBer::FIRST_ARC_FACTOR;
    if (first > NPmcBer::FIRST_ARC_MAX) first = NPmcBer::FIRST_ARC_MAX;
    value -= first * NPmcBer::FIRST_ARC_FACTOR;
    if (value > SUBID_MAX) {
        log_bad_oid();
        return PMC_E_DECODE;
    }
    arcs[0] = static_cast<pmc_ulong>(first);
    arcs[1] = static_cast<pmc_ulong>(value);
    pmc_ulong n = 2;
    while (i < length) {
        // Most arcs after the first are below 128: one octet each, taken
        // eight at a time while they last.
        for (; length - i >= RUN && take_single_octet_run(contents + i, arcs + n); i += RUN) n += RUN;
        if (i == length) break;
        if (contents[i] < NPmcBer::SUBID_MORE) {
            arcs[n++] = contents[i++];
            continue;
        }
        if (!read_subidentifier(contents, length, &i, &value, canonical) || value > SUBID_MAX) {
            log_bad_oid();
            return PMC_E_DECODE;
        }
        arcs[n++] = static_cast<pmc_ulong>(value);
    }
    *count = n;
    return PMC_S_OK;
}

}  // namespace

CPmsMessageDecoder::~CPmsMessageDecoder() = default;

pmc_long CPmsMessageDecoder::open_message(IPmsMessageBuffer* buffer) {
    target_ = nullptr;
    version_ = 0;
    const unsigned char* start = buffer->current();
    const unsigned char* end = buffer->data() + buffer->size();
    if (start == nullptr) start = end;
    reader_ = CPmsForwardReader(start, end);

    pmc_ulong length = 0;
    const pmc_long opened = read_sequence_start("message", &length);
    if (opened != PMC_S_OK) return opened;
    if (length < reader_.remaining()) {
        pmc_snmp_log()->write_line(PMC_LOG_INFO, "received packet is redundancy. be cut down.");
        reader_.limit(length);
    } else if (length > reader_.remaining()) {
        log_error("decode error: lack of received packet. can't go on decoding any more.");
        return PMC_E_DECODE;
    }
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::check_translate_type(pmc_long translate_type) {
    if (translate_type == PMS_TRANSLATE_NONE) {
        log_error("decode error: unknown translate type.");
        return PMC_E_INVALID_ARG;
    }
    // Only community targets are made from a message.
    return translate_type == PMS_SECURITY_COMMUNITY ? PMC_S_OK : PMC_E_INVALID_ARG;
}

pmc_long CPmsMessageDecoder::decode(IPmsMessageBuffer* buffer, pmc_long translate_type, CPmsDecodeObjects* into) {
    if (buffer == nullptr || into == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = open_message(buffer);
    if (status != PMC_S_OK) return status;
    if (into->target == nullptr) {
        status = check_translate_type(translate_type);
        if (status != PMC_S_OK) return status;
        into->made_target.reset(create_target_for_type(translate_type, &status));
        if (!into->made_target) return status;
        into->target = into->made_target.get();
    }
    if (into->pdu == nullptr) {
        into->made_pdu.reset(create_pdu(&status));
        if (!into->made_pdu) return status;
        into->pdu = into->made_pdu.get();
    }
    target_ = into->target;
    status = target_->accept(this);
    if (status != PMC_S_OK) return status;
    return decode_pdu(into->pdu);
}

pmc_long CPmsMessageDecoder::peek(IPmsMessageBuffer* buffer, pmc_long translate_type, CPmsPeekedHeader* header) {
    if (buffer == nullptr || header == nullptr) return PMC_E_INVALID_ARG;
    pmc_long status = open_message(buffer);
    if (status == PMC_S_OK) status = check_translate_type(translate_type);
    if (status == PMC_S_OK) status = read_version(&header->version);
    const unsigned char* community = nullptr;
    pmc_ulong length = 0;
    if (status == PMC_S_OK) status = read_field(NPmcBer::TAG_OCTET_STRING, "community", &community, &length);
    pmc_long type = PMS_PDU_NONE;
    if (status == PMC_S_OK) status = read_pdu_tag(&type);
    if (status == PMC_S_OK) status = check_pdu_start(type);
    if (status != PMC_S_OK) return status;
    if (type != PMS_PDU_TRAP) {
        pmc_long error_index = 0;
        status = read_integer("request id", &header->request_id);
        header->has_request_id = status == PMC_S_OK;
        if (status == PMC_S_OK) status = read_error_status(&header->error_status);
        return status == PMC_S_OK ? read_integer("error index", &error_index) : status;
    }
    // A trap carries neither field: it reads as a new PDU's, once its own
    // fields are found sound.
    pmc::Owned<IPmsPdu> trap(create_pdu(&status));
    if (!trap) return status;
    status = decode_trap_fields(trap.get());
    header->request_id = trap->get_request_id();
    header->error_status = trap->get_error_status();
    return status;
}

pmc_long CPmsMessageDecoder::read_sequence_start(const char* field, pmc_ulong* length) {
    unsigned char tag = 0;
    if (!reader_.read_octet(&tag)) return refuse(field, reader_.failure());
    if (tag != NPmcBer::TAG_SEQUENCE) return refuse(field, "unexpected tag");
    if (reader_.read_length(length) != PMC_S_OK) return refuse(field, reader_.failure());
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::read_field(unsigned char tag, const char* field,
                                        const unsigned char** contents, pmc_ulong* length) {
    const pmc_long status = reader_.read_element(tag, contents, length);
    return status == PMC_S_OK ? status : refuse(field, reader_.failure());
}

pmc_long CPmsMessageDecoder::read_integer(const char* field, pmc_long* value) {
    if (reader_.read_short_integer(NPmcBer::TAG_INTEGER, value)) return PMC_S_OK;
    const unsigned char* contents = nullptr;
    pmc_ulong length = 0;
    const pmc_long status = read_field(NPmcBer::TAG_INTEGER, field, &contents, &length);
    if (status != PMC_S_OK) return status;
    if (NPmcBerContents::read_integer(contents, length, value) != PMC_S_OK) {
        return refuse(field, "does not fit 32 bits");
    }
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::read_version(pmc_long* version) {
    const pmc_long status = read_integer("version", version);
    if (status != PMC_S_OK) return status;
    if (*version != PMS_VERSION_1 && *version != PMS_VERSION_2C) {
        log_error("decode error: unsupported snmp version.");
        return PMC_E_DECODE;
    }
    version_ = *version;
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::visit_community_header(IPmsCommunityTarget* target) {
    pmc_long version = 0;
    pmc_long status = read_version(&version);
    if (status != PMC_S_OK) return status;
    target_->set_version(version);

    const unsigned char* community = nullptr;
    pmc_ulong length = 0;
    status = read_field(NPmcBer::TAG_OCTET_STRING, "community", &community, &length);
    if (status != PMC_S_OK) return status;
    return set_community(target, community, length);
}

pmc_long CPmsMessageDecoder::set_community(IPmsCommunityTarget* target,
                                           const unsigned char* octets, pmc_ulong length) {
    // The answer normally repeats the request's community: keep the text
    // then, which spares the target a copy.
    const char* current = target->get_community();
    if (current != nullptr && std::strlen(current) == length &&
        std::memcmp(current, octets, length) == 0) {
        return PMC_S_OK;
    }
    char inline_text[COMMUNITY_INLINE];
    char* text = inline_text;
    if (length >= COMMUNITY_INLINE) {
        if (length >= community_.size()) {
            try {
                community_.resize(static_cast<std::size_t>(length) + 1);
            } catch (const std::bad_alloc&) {
                return PMC_E_NO_MEMORY;
            }
        }
        text = community_.data();
    }
    if (length != 0) std::memcpy(text, octets, length);
    text[length] = '\0';
    return target->set_community(text);
}

pmc_long CPmsMessageDecoder::visit_v3_header(IPmsV3Target*) { return PMC_E_NOT_SUPPORTED; }

pmc_long CPmsMessageDecoder::read_pdu_tag(pmc_long* type) {
    unsigned char tag = 0;
    if (!reader_.read_octet(&tag)) return refuse("pdu", reader_.failure());
    *type = pdu_type_of_tag(tag);
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::check_pdu_start(pmc_long type) {
    if (type == PMS_PDU_NONE) {
        log_error("decode error: unknown pdu type.");
        return PMC_E_DECODE;
    }
    pmc_ulong length = 0;
    if (reader_.read_length(&length) != PMC_S_OK) return refuse("pdu", reader_.failure());
    if (length != reader_.remaining()) {
        log_error("decode error: pdu length is wrong.");
        return PMC_E_DECODE;
    }
    if (type == PMS_PDU_TRAP && version_ != PMS_VERSION_1) {
        log_error("decode error: pdu: a trap is read in SNMPv1 messages only.");
        return PMC_E_NOT_SUPPORTED;
    }
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::decode_pdu(IPmsPdu* pdu) {
    pmc_long type = PMS_PDU_NONE;
    pmc_long status = read_pdu_tag(&type);
    if (status != PMC_S_OK) return status;
    // The type is kept even when the rest of the PDU is refused.
    pdu->set_type(type);
    status = check_pdu_start(type);
    if (status != PMC_S_OK) return status;
    if (type == PMS_PDU_TRAP) {
        status = decode_trap_fields(pdu);
    } else {
        status = decode_request_header(pdu);
    }
    if (status != PMC_S_OK) return status;

    IPmsVarBindList* list = pdu->get_varbind_list();
    if (list == nullptr) {
        list = create_varbind_list(&status);
        if (list == nullptr) return status;
        pdu->set_varbind_list(list);
    }
    status = decode_bindings(list);
    if (status != PMC_S_OK) return status;

    const pmc_long error_status = type == PMS_PDU_TRAP ? PMS_ERR_NO_ERROR : pdu->get_error_status();
    if (error_status != PMS_ERR_NO_ERROR) {
        list->apply_error(error_status, pdu->get_error_index());
    } else {
        list->set_all_status(PMS_ERR_NO_ERROR);
    }
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::read_error_status(pmc_long* error_status) {
    const pmc_long status = read_integer("error status", error_status);
    if (status != PMC_S_OK) return status;
    if (*error_status < PMS_ERR_NO_ERROR || *error_status > PMS_ERR_LAST) {
        log_error("decode error: error_status's value is wrong.");
        return PMC_E_DECODE;
    }
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::decode_request_header(IPmsPdu* pdu) {
    pmc_long request_id = 0;
    pmc_long status = read_integer("request id", &request_id);
    if (status != PMC_S_OK) return status;
    pdu->set_request_id(request_id);

    pmc_long error_status = 0;
    status = read_error_status(&error_status);
    if (status != PMC_S_OK) return status;
    pdu->set_error_status(error_status);

    pmc_long error_index = 0;
    status = read_integer("error index", &error_index);
    if (status != PMC_S_OK) return status;
    pdu->set_error_index(error_index);
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::decode_bindings(IPmsVarBindList* list) {
    pmc_ulong length = 0;
    const pmc_long opened = read_sequence_start("binding list", &length);
    if (opened != PMC_S_OK) return opened;
    if (length != reader_.remaining()) {
        log_error("decode error: length of var bind list is wrong.");
        return PMC_E_DECODE;
    }

    const pmc_ulong reusable = list->count();
    pmc_ulong decoded = 0;
    pmc_long status = PMC_S_OK;
    for (; !reader_.at_end(); ++decoded) {
        IPmsVarBind* binding = nullptr;
        if (decoded < reusable) {
            binding = list->get_at(decoded);
            if (binding == nullptr) return PMC_E_INVALID_ARG;
        } else {
            binding = create_varbind(&status);
            if (binding == nullptr) return status;
            status = list->append(binding);
            if (status != PMC_S_OK) {
                binding->release();
                return status;
            }
        }
        status = decode_binding(binding);
        if (status != PMC_S_OK) return status;
    }
    for (pmc_ulong i = reusable; i > decoded; --i) list->remove_at(i - 1, nullptr);
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::decode_binding(IPmsVarBind* binding) {
    pmc_ulong length = 0;
    pmc_long status = reader_.read_header(NPmcBer::TAG_SEQUENCE, &length);
    if (status != PMC_S_OK) return refuse("binding", reader_.failure());
    const unsigned char* binding_end = reader_.position() + length;

    IPmsOid* name = binding->get_oid();
    if (name == nullptr) {
        name = pms_create_oid(&status);
        if (name == nullptr) return status;
        binding->set_oid(name);
    }
    status = read_oid(name, "binding name");
    if (status != PMC_S_OK) return status;

    unsigned char tag = 0;
    if (!reader_.peek_octet(&tag)) return refuse("binding", "no value after the name");
    if (!is_value_tag(tag)) {
        log_error("decode error: unknown asn type.");
        return PMC_E_DECODE;
    }
    IPmsValue* value = binding->get_value();
    if (value == nullptr || value->get_type() != tag) {
        value = pms_create_value(tag, &status);
        if (value == nullptr) return status;
        binding->set_value(value);
    }
    status = value->accept(this);
    if (status != PMC_S_OK) return status;
    if (reader_.position() != binding_end) {
        log_error("decode error: length of var bind is wrong.");
        return PMC_E_DECODE;
    }
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::read_oid_arcs(pmc_ulong spare, pmc_ulong* count) {
    *count = 0;
    const unsigned char* contents = nullptr;
    pmc_ulong length = 0;
    const pmc_long status = read_field(NPmcBer::TAG_OID, "identifier", &contents, &length);
    if (status != PMC_S_OK) return status;
    bool canonical = true;
    return parse_oid_arcs(contents, length, spare, count, &canonical);
}

pmc_long CPmsMessageDecoder::parse_oid_arcs(const unsigned char* contents, pmc_ulong length,
                                            pmc_ulong spare, pmc_ulong* count, bool* canonical) {
    *count = 0;
    // Each octet ends at most one sub-identifier; the first one gives two
    // arcs.
    if (length != 0 && !arcs_.reserve(length + 1 + spare)) return PMC_E_NO_MEMORY;
    return parse_arcs_into(contents, length, arcs_.data(), count, canonical);
}

pmc_long CPmsMessageDecoder::read_oid(IPmsOid* oid, const char* field) {
    const unsigned char* contents = nullptr;
    pmc_ulong length = 0;
    const pmc_long status = read_field(NPmcBer::TAG_OID, field, &contents, &length);
    if (status != PMC_S_OK) {
        oid->clear();
        return status;
    }
    return store_oid(oid, contents, length);
}

pmc_long CPmsMessageDecoder::store_oid(IPmsOid* oid, const unsigned char* contents, pmc_ulong length) {
    // An answer repeats the request's names: one that the identifier holds
    // already is left as it is.
    CPmsOid* ours = CPmsOid::from(oid);
    pmc_ulong form_length = 0;
    const unsigned char* form = ours != nullptr ? ours->codec_form(&form_length) : nullptr;
    if (form != nullptr && form_length == length && pms_same_short(form, contents, length)) {
        return PMC_S_OK;
    }
    pmc_ulong count = 0;
    bool canonical = true;
    pmc_long status = PMC_S_OK;
    if (ours != nullptr && length < CPmsOid::CACHED_ARCS_MAX) {
        // Straight into the identifier. A sub-identifier of k octets is below
        // 2^(7k): at most 3k digits; the first one also gives a one-digit
        // arc; count - 1 dots.
        status = parse_arcs_into(contents, length, ours->arc_room(), &count, &canonical);
        if (status == PMC_S_OK) status = ours->commit_arcs(count, 3 * static_cast<std::size_t>(length) + 1 + count);
    } else {
        status = parse_oid_arcs(contents, length, 0, &count, &canonical);
        if (status == PMC_S_OK) status = pms_oid_assign_arcs(oid, arcs_.data(), count);
    }
    // A failed identifier is left empty rather than half-read.
    if (status != PMC_S_OK) {
        oid->clear();
        return status;
    }
    if (ours != nullptr && canonical) ours->remember_codec_form(contents, length);
    return PMC_S_OK;
}

pmc_long CPmsMessageDecoder::visit_oid(IPmsOid* value) { return read_oid(value, "identifier"); }

pmc_long CPmsMessageDecoder::read_octets_value(IPmsValue* value) {
    const unsigned char* contents = nullptr;
    pmc_ulong length = 0;
    const pmc_long status =
        read_field(static_cast<unsigned char>(value->get_type()), "value", &contents, &length);
    if (status != PMC_S_OK) return status;
    const pmc_long stored = value->set_bytes(contents, length);
    if (stored == PMC_S_OK || stored == PMC_E_NO_MEMORY) return stored;
    // The kind's own rule refused the octets (an IpAddress of 5): the answer
    // is malformed, not the caller's argument.
    pmc_snmp_log()->write_line(PMC_LOG_ERROR, "decode error: a value of type 0x%02x cannot hold %u octets.",
                               static_cast<unsigned>(value->get_type()), static_cast<unsigned>(length));
    return PMC_E_DECODE;
}

pmc_long CPmsMessageDecoder::visit_octet_string(IPmsValue* value) {
    return read_octets_value(value);
}

pmc_long CPmsMessageDecoder::visit_integer(IPmsValue* value) {
    pmc_long number = 0;
    const pmc_long status = read_integer("integer value", &number);
    if (status != PMC_S_OK) return status;
    return value->set_int(number);
}

pmc_long CPmsMessageDecoder::read_empty_value(IPmsValue* value) {
    const unsigned char* contents = nullptr;
    pmc_ulong length = 0;
    const pmc_long status =
        read_field(static_cast<unsigned char>(value->get_type()), "value", &contents, &length);
    if (status != PMC_S_OK) return status;
    return length == 0 ? PMC_S_OK : refuse("value", "contents where none belong");
}

pmc_long CPmsMessageDecoder::visit_null(IPmsValue* value) { return read_empty_value(value); }

pmc_long CPmsMessageDecoder::read_unsigned_value(IPmsValue* value, const char* kind) {
    const unsigned char* contents = nullptr;
    pmc_ulong length = 0;
    const pmc_long status =
        read_field(static_cast<unsigned char>(value->get_type()), kind, &contents, &length);
    if (status != PMC_S_OK) return status;
    pmc_ulong bits = 0;
    if (NPmcBerContents::read_unsigned(contents, length, &bits) != PMC_S_OK) {
        return refuse(kind, "does not fit 32 bits");
    }
    return value->set_uint(bits);
}

pmc_long CPmsMessageDecoder::visit_counter32(IPmsValue* value) {
    return read_unsigned_value(value, "counter32 value");
}
pmc_long CPmsMessageDecoder::visit_gauge32(IPmsValue* value) {
    return read_unsigned_value(value, "gauge32 value");
}
pmc_long CPmsMessageDecoder::visit_time_ticks(IPmsValue* value) {
    return read_unsigned_value(value, "timeticks value");
}

pmc_long CPmsMessageDecoder::visit_counter64(IPmsValue* value) {
    const unsigned char* contents = nullptr;
    pmc_ulong length = 0;
    pmc_long status = reader_.read_element(NPmcBer::TAG_COUNTER64, &contents, &length);
    if (status != PMC_S_OK) {
        log_error("decode error: counter64 format is wrong.");
        return status;
    }
    pmc_ulong high = 0;
    pmc_ulong low = 0;
    if (NPmcBerContents::read_counter64(contents, length, &high, &low) != PMC_S_OK) {
        return refuse("counter64 value", "does not fit 64 bits");
    }
    status = value->set_uint_high(high);
    if (status != PMC_S_OK) return status;
    return value->set_uint_low(low);
}

pmc_long CPmsMessageDecoder::visit_ip_address(IPmsValue* value) { return read_octets_value(value); }
pmc_long CPmsMessageDecoder::visit_ipv6_address(IPmsValue* value) {
    return read_octets_value(value);
}
pmc_long CPmsMessageDecoder::visit_udp_address(IPmsValue*) { return PMC_E_NOT_SUPPORTED; }
pmc_long CPmsMessageDecoder::visit_ipx_address(IPmsValue*) { return PMC_E_NOT_SUPPORTED; }
pmc_long CPmsMessageDecoder::visit_exception(IPmsValue* value) { return read_empty_value(value); }
