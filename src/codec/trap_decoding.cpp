// SNMPv1 Trap-PDU fields into the library's one trap form: a trap
// identifier (prefix.0.N) and a TimeTicks timestamp.
#include <cstring>

#include "codec/ber.h"
#include "codec/message_decoder.h"
#include "codec/trap_oids.h"
#include "log/component_log.h"
#include "value/oid_arcs.h"
#include "value/value_factory.h"

namespace {
constexpr pmc_ulong AGENT_ADDRESS_OCTETS = 4;
constexpr pmc_ulong TRAP_SUFFIX_ARCS = 2;  // .0.N
}  // namespace

pmc_long CPmsMessageDecoder::decode_trap_fields(IPmsPdu* pdu) {
    pmc_long status = PMC_S_OK;
    IPmsOid* trap_oid = pdu->get_trap_oid();
    if (trap_oid == nullptr) {
        trap_oid = pms_create_oid(&status);
        if (trap_oid == nullptr) return status;
        status = pdu->set_trap_oid(trap_oid);
        if (status != PMC_S_OK) {
            trap_oid->release();
            return status;
        }
    }
    pmc_ulong count = 0;
    status = read_oid_arcs(TRAP_SUFFIX_ARCS, &count);
    if (status != PMC_S_OK) return status;
    // read_oid_arcs left room for the suffix; the snmpTraps form always fits
    // the inline arcs.
    static_assert(NPmcTrapOids::SNMP_TRAPS_ARCS + TRAP_SUFFIX_ARCS <= CPmsArcBuffer::INLINE_ARCS,
                  "generic trap identifiers fit inline");

    // agent-addr is read for its shape only; the trap form has no place for it.
    const unsigned char* contents = nullptr;
    pmc_ulong length = 0;
    status = read_field(NPmcBer::TAG_IP_ADDRESS, "agent address", &contents, &length);
    if (status != PMC_S_OK) return status;
    if (length != AGENT_ADDRESS_OCTETS) {
        pmc_snmp_log()->write_line(PMC_LOG_ERROR, "decode error: agent address: not %u octets.",
                                   static_cast<unsigned>(AGENT_ADDRESS_OCTETS));
        return PMC_E_DECODE;
    }

    pmc_long generic = 0;
    status = read_integer("generic trap", &generic);
    if (status != PMC_S_OK) return status;
    pmc_long specific = 0;
    status = read_integer("specific trap", &specific);
    if (status != PMC_S_OK) return status;

    pmc_ulong* arcs = arcs_.data();
    if (generic == NPmcTrapOids::GENERIC_ENTERPRISE_SPECIFIC) {
        arcs[count++] = 0;
        arcs[count++] = static_cast<pmc_ulong>(specific);
    } else if (generic < 0 || generic > NPmcTrapOids::GENERIC_ENTERPRISE_SPECIFIC) {
        pmc_snmp_log()->write_line(PMC_LOG_ERROR, "decode error: generic trap No. > 6. ");
        return PMC_E_DECODE;
    } else {
        std::memcpy(arcs, NPmcTrapOids::SNMP_TRAPS, sizeof NPmcTrapOids::SNMP_TRAPS);
        count = NPmcTrapOids::SNMP_TRAPS_ARCS;
        arcs[count++] = 0;
        arcs[count++] = static_cast<pmc_ulong>(generic) + 1;
    }
    status = pms_oid_assign_arcs(trap_oid, arcs, count);
    if (status != PMC_S_OK) return status;

    IPmsValue* timestamp = pdu->get_timestamp();
    if (timestamp == nullptr) {
        timestamp = pms_create_value(PMS_TYPE_TIME_TICKS, &status);
        if (timestamp == nullptr) return status;
        status = pdu->set_timestamp(timestamp);
        if (status != PMC_S_OK) {
            timestamp->release();
            return status;
        }
    }
    return timestamp->accept(this);
}
