// SNMPv1 Trap-PDU fields from the library's one trap form: a trap
// identifier (prefix.0.N) and a TimeTicks timestamp.
#include "codec/ber.h"
#include "codec/message_encoder.h"
#include "codec/trap_oids.h"

pmc_long CPmsMessageEncoder::encode_trap_fields(IPmsPdu* pdu) {
    IPmsValue* timestamp = pdu->get_timestamp();
    IPmsOid* trap_oid = pdu->get_trap_oid();
    if (timestamp == nullptr || trap_oid == nullptr) return PMC_E_INVALID_ARG;

    pmc_ulong count = 0;
    pmc_long status = read_arcs(trap_oid, &count);
    if (status != PMC_S_OK) return status;
    const pmc_ulong* arcs = arcs_.data();
    if (count < 2 || arcs[count - 2] != 0) return PMC_E_INVALID_ARG;
    const pmc_ulong last = arcs[count - 1];
    const pmc_ulong enterprise_count = count - 2;

    pmc_long generic = NPmcTrapOids::GENERIC_ENTERPRISE_SPECIFIC;
    pmc_long specific = static_cast<pmc_long>(last);
    if (NPmcTrapOids::is_snmp_traps(arcs, enterprise_count)) {
        // snmpTraps.0.(g + 1): only coldStart..egpNeighborLoss exist there; any
        // other number would go out as a generic-trap no agent defines.
        if (last < 1 || last > static_cast<pmc_ulong>(NPmcTrapOids::GENERIC_LAST) + 1) return PMC_E_INVALID_ARG;
        generic = static_cast<pmc_long>(last - 1);
        specific = 0;
    }

    // Written backwards: time-stamp, specific, generic, agent-addr,
    // enterprise.
    pmc_ulong ticks = timestamp->get_uint(&status);
    if (status != PMC_S_OK) return status;
    writer_.put_unsigned_element(NPmcBer::TAG_TIME_TICKS, ticks);
    writer_.put_integer(NPmcBer::TAG_INTEGER, specific);
    writer_.put_integer(NPmcBer::TAG_INTEGER, generic);
    static const unsigned char no_address[4] = {0, 0, 0, 0};
    writer_.put_run(no_address, sizeof no_address);
    writer_.put_header(NPmcBer::TAG_IP_ADDRESS, sizeof no_address);
    return put_oid_element(arcs, enterprise_count);
}
