// BER tags and limits of the SNMPv1/v2c wire format (RFC 1157, RFC 1901,
// RFC 3416).
#ifndef PMSNMP_CODEC_BER_H
#define PMSNMP_CODEC_BER_H

#include <pmsnmp/types.h>

namespace NPmcBer {

constexpr unsigned char TAG_INTEGER = 0x02;
constexpr unsigned char TAG_OCTET_STRING = 0x04;
constexpr unsigned char TAG_NULL = 0x05;
constexpr unsigned char TAG_OID = 0x06;
constexpr unsigned char TAG_SEQUENCE = 0x30;
constexpr unsigned char TAG_IP_ADDRESS = 0x40;
constexpr unsigned char TAG_COUNTER32 = 0x41;
constexpr unsigned char TAG_GAUGE32 = 0x42;
constexpr unsigned char TAG_TIME_TICKS = 0x43;
constexpr unsigned char TAG_OPAQUE = 0x44;
constexpr unsigned char TAG_COUNTER64 = 0x46;
constexpr unsigned char TAG_NO_SUCH_OBJECT = 0x80;
constexpr unsigned char TAG_NO_SUCH_INSTANCE = 0x81;
constexpr unsigned char TAG_END_OF_MIB_VIEW = 0x82;

// PDU tags are this base plus the PDU type code; 0xA7 is the SNMPv2-Trap.
constexpr unsigned char TAG_PDU_BASE = 0xA0;
constexpr unsigned char TAG_PDU_TRAP_V2 = 0xA7;

constexpr unsigned char LENGTH_LONG_FORM = 0x80;  // also the refused indefinite form
constexpr unsigned char SUBID_MORE = 0x80;        // base-128 continuation bit
constexpr unsigned char SUBID_MASK = 0x7F;

// The first sub-identifier packs two arcs as 40 * arc0 + arc1.
constexpr pmc_ulong FIRST_ARC_FACTOR = 40;
constexpr pmc_ulong FIRST_ARC_MAX = 2;

}  // namespace NPmcBer

#endif
