// Our wire bytes against Net-SNMP's encoder and decoder: for every message of
// the table, our encoding must parse there to the described PDU, and Net-SNMP's
// encoding must decode here to the same PDU.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/snmp_impl.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "value/oid_arcs.h"
#include "wire_builder.h"

namespace {

using Arcs = std::vector<pmc_ulong>;

// One variable binding, described independently of both libraries.
struct Var {
    Var(Arcs n, unsigned char t) : name(std::move(n)), type(t) {}
    Arcs name;
    unsigned char type;
    long long number = 0;  // INTEGER, the unsigned kinds
    std::string octets;    // OCTET STRING, Opaque, IpAddress
    Arcs oid;              // OBJECT IDENTIFIER
    pmc_ulong high = 0, low = 0;  // Counter64
};

struct Message {
    Message(const char* n, pmc_long v, std::string c, pmc_long t, pmc_long id, pmc_long es, pmc_long ei,
            std::vector<Var> vs)
        : name(n), version(v), community(std::move(c)), type(t), request_id(id), error_status(es),
          error_index(ei), vars(std::move(vs)) {}
    const char* name;
    pmc_long version;
    std::string community;
    pmc_long type;
    pmc_long request_id;
    pmc_long error_status;
    pmc_long error_index;
    std::vector<Var> vars;
    // Trap fields (type 4): enterprise, generic, specific, time-stamp.
    Arcs enterprise;
    pmc_long generic = 0;
    pmc_long specific = 0;
    pmc_ulong ticks = 0;
};

Arcs printer_oid(pmc_ulong n) { return {1, 3, 6, 1, 2, 1, 43, 11, 1, 1, 9, 1, n}; }

Var integer_var(long long n) {
    Var v{printer_oid(1), ASN_INTEGER};
    v.number = n;
    return v;
}
Var unsigned_var(unsigned char type, long long n) {
    Var v{printer_oid(2), type};
    v.number = n;
    return v;
}
Var octets_var(unsigned char type, std::string s) {
    Var v{printer_oid(3), type};
    v.octets = std::move(s);
    return v;
}
Var oid_var(Arcs oid) {
    Var v{printer_oid(4), ASN_OBJECT_ID};
    v.oid = std::move(oid);
    return v;
}
Var counter64_var(pmc_ulong high, pmc_ulong low) {
    Var v{printer_oid(5), ASN_COUNTER64};
    v.high = high;
    v.low = low;
    return v;
}
Var marker_var(unsigned char type) { return Var{printer_oid(6), type}; }

std::vector<Message> table() {
    std::vector<Message> t;
    t.push_back({"get one", 0, "public", PMS_PDU_GET, 1, 0, 0, {marker_var(ASN_NULL)}});
    t.push_back({"integers", 1, "public", PMS_PDU_RESPONSE, 2147483647, 0, 0,
                 {integer_var(0), integer_var(-1), integer_var(127), integer_var(128), integer_var(-128),
                  integer_var(-129), integer_var(32767), integer_var(-32769), integer_var(8388608),
                  integer_var(2147483647), integer_var(-2147483647LL - 1)}});
    t.push_back({"unsigned kinds", 1, "public", PMS_PDU_RESPONSE, -1, 0, 0,
                 {unsigned_var(ASN_COUNTER, 0), unsigned_var(ASN_COUNTER, 2147483648LL),
                  unsigned_var(ASN_GAUGE, 4294967295LL), unsigned_var(ASN_GAUGE, 128),
                  unsigned_var(ASN_TIMETICKS, 4294967295LL), unsigned_var(ASN_TIMETICKS, 8388607)}});
    t.push_back({"counter64 boundaries", 1, "public", PMS_PDU_RESPONSE, 3, 0, 0,
                 {counter64_var(0, 0), counter64_var(0, 0x7FFFFFFF), counter64_var(0, 0x80000000u),
                  counter64_var(0, 0xFFFFFFFFu), counter64_var(1, 0), counter64_var(0x7FFFFFFF, 0xFFFFFFFFu),
                  counter64_var(0xFFFFFFFFu, 0xFFFFFFFFu)}});
    t.push_back({"octet kinds", 0, "private", PMS_PDU_SET, 4, 0, 0,
                 {octets_var(ASN_OCTET_STR, ""), octets_var(ASN_OCTET_STR, std::string("a\0b", 3)),
                  octets_var(ASN_OCTET_STR, std::string(127, 'x')), octets_var(ASN_OCTET_STR, std::string(128, 'y')),
                  octets_var(ASN_OCTET_STR, std::string(300, 'z')), octets_var(ASN_IPADDRESS, "\x0A\x01\x02\x03"),
                  octets_var(ASN_OPAQUE, "\x01\x02\x03")}});
    t.push_back({"long message", 1, std::string(200, 'c'), PMS_PDU_RESPONSE, 6, 0, 0,
                 {octets_var(ASN_OCTET_STR, std::string(1000, 'q')), octets_var(ASN_OCTET_STR, std::string(70000, 'r'))}});
    t.push_back({"identifiers", 1, "public", PMS_PDU_RESPONSE, 7, 0, 0,
                 {oid_var({1, 3, 6, 1, 4, 1, 2699, 1, 2}), oid_var({0, 0}), oid_var({2, 999, 4294967295u}),
                  oid_var({1, 3, 128, 16383, 16384, 2097151, 2097152})}});
    t.push_back({"exceptions", 1, "public", PMS_PDU_RESPONSE, 8, 0, 0,
                 {marker_var(SNMP_NOSUCHOBJECT), marker_var(SNMP_NOSUCHINSTANCE), marker_var(SNMP_ENDOFMIBVIEW)}});
    t.push_back({"error answer", 0, "public", PMS_PDU_RESPONSE, 9, 2, 2,
                 {marker_var(ASN_NULL), marker_var(ASN_NULL), marker_var(ASN_NULL)}});
    t.push_back({"getnext", 1, "public", PMS_PDU_GET_NEXT, 10, 0, 0, {marker_var(ASN_NULL)}});
    t.push_back({"getbulk", 1, "public", PMS_PDU_GET_BULK, 11, 1, 25, {marker_var(ASN_NULL), marker_var(ASN_NULL)}});
    t.push_back({"inform", 1, "public", PMS_PDU_INFORM, 12, 0, 0, {unsigned_var(ASN_TIMETICKS, 5)}});
    Message generic{"generic trap", 0, "public", PMS_PDU_TRAP, 0, 0, 0, {integer_var(1)}};
    generic.enterprise = {1, 3, 6, 1, 6, 3, 1, 1, 5};
    generic.generic = 3;
    generic.ticks = 4294967295u;
    t.push_back(generic);
    Message specific{"enterprise trap", 0, "public", PMS_PDU_TRAP, 0, 0, 0, {octets_var(ASN_OCTET_STR, "jam")}};
    specific.enterprise = {1, 3, 6, 1, 4, 1, 9};
    specific.generic = 6;
    specific.specific = 17;
    specific.ticks = 100;
    t.push_back(specific);
    return t;
}

// --- our side -------------------------------------------------------------

OwnedOid our_oid(const Arcs& arcs) {
    pmc_long status = -99;
    OwnedOid oid(pms_create_oid(&status));
    EXPECT_EQ(pms_oid_assign_arcs(oid.get(), arcs.data(), static_cast<pmc_ulong>(arcs.size())), PMC_S_OK);
    return oid;
}

Arcs arcs_of(const IPmsOid* oid) {
    pmc_ulong count = 0;
    pms_oid_read_arcs(oid, nullptr, 0, &count);
    Arcs arcs(count);
    EXPECT_EQ(pms_oid_read_arcs(oid, arcs.data(), count, &count), PMC_S_OK);
    return arcs;
}

OwnedValue our_value(const Var& v) {
    switch (v.type) {
    case ASN_INTEGER: return make_int(static_cast<pmc_long>(v.number));
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS: return make_uint(v.type, static_cast<pmc_ulong>(v.number));
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
    case ASN_OPAQUE: return make_bytes(v.type, Bytes(v.octets.begin(), v.octets.end()));
    case ASN_OBJECT_ID: return OwnedValue(our_oid(v.oid).release());
    case ASN_COUNTER64: return make_counter64(v.high, v.low);
    default: return make_value(v.type);
    }
}

OwnedPdu our_pdu(const Message& m) {
    OwnedPdu pdu = make_pdu(m.type, m.request_id);
    pdu->set_error_status(m.error_status);
    pdu->set_error_index(m.error_index);
    for (const Var& v : m.vars) {
        EXPECT_EQ(pdu->add_varbind(our_oid(v.name).release(), our_value(v).release()), PMC_S_OK);
    }
    if (m.type == PMS_PDU_TRAP) {
        Arcs trap = m.enterprise;
        if (m.generic == 6) {
            trap.push_back(0);
            trap.push_back(static_cast<pmc_ulong>(m.specific));
        } else {
            trap = {1, 3, 6, 1, 6, 3, 1, 1, 5, 0, static_cast<pmc_ulong>(m.generic + 1)};
        }
        EXPECT_EQ(pdu->set_trap_oid(our_oid(trap).release()), PMC_S_OK);
        EXPECT_EQ(pdu->set_timestamp(make_uint(PMS_TYPE_TIME_TICKS, m.ticks).release()), PMC_S_OK);
    }
    return pdu;
}

void expect_our_pdu_matches(IPmsPdu* pdu, IPmsSnmpTarget* target, const Message& m) {
    EXPECT_EQ(target->get_version(), m.version);
    EXPECT_EQ(std::string(community_of(target)), m.community);
    OwnedPdu expected = our_pdu(m);
    EXPECT_EQ(pdu->get_type(), m.type);
    if (m.type != PMS_PDU_TRAP) {
        EXPECT_EQ(pdu->get_request_id(), m.request_id);
        EXPECT_EQ(pdu->get_error_status(), m.error_status);
        EXPECT_EQ(pdu->get_error_index(), m.error_index);
    } else {
        EXPECT_EQ(oid_text(pdu->get_trap_oid()), oid_text(expected->get_trap_oid()));
        EXPECT_TRUE(pdu->get_timestamp()->equals(expected->get_timestamp()));
    }
    IPmsVarBindList* got = pdu->get_varbind_list();
    IPmsVarBindList* want = expected->get_varbind_list();
    ASSERT_EQ(got->count(), want->count());
    for (pmc_ulong i = 0; i < got->count(); ++i) {
        EXPECT_TRUE(got->get_at(i)->get_oid()->equals(want->get_at(i)->get_oid())) << i;
        EXPECT_TRUE(got->get_at(i)->get_value()->equals(want->get_at(i)->get_value()))
            << "binding " << i << ": " << oid_text(got->get_at(i)->get_value());
    }
}

// --- Net-SNMP's side ------------------------------------------------------

class NetSnmpEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
        // Only the wire format is needed: no MIB modules.
        setenv("MIBS", "", 1);
        init_snmp("pmsnmp-test");
    }
    void TearDown() override { snmp_shutdown("pmsnmp-test"); }
};
const ::testing::Environment* const net_snmp_environment =
    ::testing::AddGlobalTestEnvironment(new NetSnmpEnvironment);

int net_snmp_command(pmc_long type) {
    switch (type) {
    case PMS_PDU_GET: return SNMP_MSG_GET;
    case PMS_PDU_GET_NEXT: return SNMP_MSG_GETNEXT;
    case PMS_PDU_RESPONSE: return SNMP_MSG_RESPONSE;
    case PMS_PDU_SET: return SNMP_MSG_SET;
    case PMS_PDU_TRAP: return SNMP_MSG_TRAP;
    case PMS_PDU_GET_BULK: return SNMP_MSG_GETBULK;
    case PMS_PDU_INFORM: return SNMP_MSG_INFORM;
    default: return -1;
    }
}

std::vector<oid> net_oid(const Arcs& arcs) { return std::vector<oid>(arcs.begin(), arcs.end()); }

struct NetSession {
    netsnmp_session session;
    std::string community;
    explicit NetSession(const Message& m) : community(m.community) {
        snmp_sess_init(&session);
        session.version = m.version == 0 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
        session.community = reinterpret_cast<u_char*>(&community[0]);
        session.community_len = community.size();
    }
};

using NetPdu = std::unique_ptr<netsnmp_pdu, void (*)(netsnmp_pdu*)>;

NetPdu net_pdu(const Message& m) {
    NetPdu pdu(snmp_pdu_create(net_snmp_command(m.type)), snmp_free_pdu);
    // What a session's send would fill in before building.
    pdu->version = m.version == 0 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
    pdu->community = static_cast<u_char*>(malloc(m.community.size() + 1));
    std::memcpy(pdu->community, m.community.c_str(), m.community.size() + 1);
    pdu->community_len = m.community.size();
    pdu->reqid = m.request_id;
    if (m.type == PMS_PDU_GET_BULK) {
        pdu->non_repeaters = m.error_status;
        pdu->max_repetitions = m.error_index;
    } else {
        pdu->errstat = m.error_status;
        pdu->errindex = m.error_index;
    }
    if (m.type == PMS_PDU_TRAP) {
        std::vector<oid> enterprise = net_oid(m.enterprise);
        pdu->enterprise = static_cast<oid*>(malloc(enterprise.size() * sizeof(oid)));
        std::memcpy(pdu->enterprise, enterprise.data(), enterprise.size() * sizeof(oid));
        pdu->enterprise_length = enterprise.size();
        pdu->trap_type = m.generic;
        pdu->specific_type = m.specific;
        pdu->time = m.ticks;
    }
    for (const Var& v : m.vars) {
        std::vector<oid> name = net_oid(v.name);
        long number = static_cast<long>(v.number);
        u_long unsigned_number = static_cast<u_long>(v.number);
        struct counter64 c64 = {v.high, v.low};
        std::vector<oid> value_oid = net_oid(v.oid);
        const void* value = nullptr;
        size_t size = 0;
        switch (v.type) {
        case ASN_INTEGER: value = &number; size = sizeof number; break;
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS: value = &unsigned_number; size = sizeof unsigned_number; break;
        case ASN_OCTET_STR:
        case ASN_IPADDRESS:
        case ASN_OPAQUE: value = v.octets.data(); size = v.octets.size(); break;
        case ASN_OBJECT_ID: value = value_oid.data(); size = value_oid.size() * sizeof(oid); break;
        case ASN_COUNTER64: value = &c64; size = sizeof c64; break;
        default: break;
        }
        EXPECT_NE(snmp_pdu_add_variable(pdu.get(), name.data(), name.size(), v.type, value, size), nullptr);
    }
    return pdu;
}

// Net-SNMP's encoding of the message.
Bytes net_encode(const Message& m) {
    NetSession s(m);
    NetPdu pdu = net_pdu(m);
    size_t capacity = 100000;
    u_char* packet = static_cast<u_char*>(malloc(capacity));
    size_t offset = 0;
    const int rc = snmp_build(&packet, &capacity, &offset, &s.session, pdu.get());
    EXPECT_EQ(rc, 0) << m.name << ": " << snmp_api_errstring(rc);
    Bytes out;
    if (rc == 0) {
        const bool reverse = netsnmp_ds_get_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_REVERSE_ENCODE);
        const u_char* start = reverse ? packet + capacity - offset : packet;
        out.assign(start, start + offset);
    }
    free(packet);
    return out;
}

// Net-SNMP's reading of bytes; null when it refuses them.
NetPdu net_parse(const Bytes& wire, const Message& m) {
    NetSession s(m);
    NetPdu pdu(static_cast<netsnmp_pdu*>(calloc(1, sizeof(netsnmp_pdu))), snmp_free_pdu);
    Bytes copy = wire;
    const int rc = snmp_parse(nullptr, &s.session, pdu.get(), copy.data(), copy.size());
    if (rc != 0) return NetPdu(nullptr, snmp_free_pdu);
    return pdu;
}

void expect_net_pdu_matches(const netsnmp_pdu* pdu, const Message& m) {
    EXPECT_EQ(pdu->version, m.version == 0 ? SNMP_VERSION_1 : SNMP_VERSION_2c);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pdu->community), pdu->community_len), m.community);
    EXPECT_EQ(pdu->command, net_snmp_command(m.type));
    if (m.type == PMS_PDU_TRAP) {
        EXPECT_EQ(Arcs(pdu->enterprise, pdu->enterprise + pdu->enterprise_length), m.enterprise);
        EXPECT_EQ(pdu->trap_type, m.generic);
        EXPECT_EQ(pdu->specific_type, m.specific);
        EXPECT_EQ(static_cast<pmc_ulong>(pdu->time), m.ticks);
        EXPECT_EQ(std::memcmp(pdu->agent_addr, "\0\0\0\0", 4), 0);
    } else {
        EXPECT_EQ(pdu->reqid, m.request_id);
        EXPECT_EQ(pdu->errstat, m.error_status);
        EXPECT_EQ(pdu->errindex, m.error_index);
    }
    const netsnmp_variable_list* var = pdu->variables;
    for (const Var& v : m.vars) {
        ASSERT_NE(var, nullptr);
        EXPECT_EQ(Arcs(var->name, var->name + var->name_length), v.name);
        EXPECT_EQ(var->type, v.type);
        switch (v.type) {
        case ASN_INTEGER: EXPECT_EQ(*var->val.integer, v.number); break;
        case ASN_COUNTER:
        case ASN_GAUGE:
        case ASN_TIMETICKS: EXPECT_EQ(static_cast<unsigned long>(*var->val.integer), static_cast<unsigned long>(v.number)); break;
        case ASN_OCTET_STR:
        case ASN_IPADDRESS:
        case ASN_OPAQUE:
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(var->val.string), var->val_len), v.octets);
            break;
        case ASN_OBJECT_ID:
            EXPECT_EQ(Arcs(var->val.objid, var->val.objid + var->val_len / sizeof(oid)), v.oid);
            break;
        case ASN_COUNTER64:
            EXPECT_EQ(var->val.counter64->high, v.high);
            EXPECT_EQ(var->val.counter64->low, v.low);
            break;
        default: EXPECT_EQ(var->val_len, 0u); break;
        }
        var = var->next_variable;
    }
    EXPECT_EQ(var, nullptr);
}

// The message as our encoder writes it.
Bytes our_encoding(const Message& m) {
    OwnedPdu pdu = our_pdu(m);
    OwnedTarget target = make_target(m.community.c_str(), m.version, 100000);
    pmc_long status = -99;
    const Bytes wire = encode(pdu.get(), target.get(), &status);
    EXPECT_EQ(status, PMC_S_OK);
    return wire;
}

TEST(NetSnmpCrossCheck, OurEncodingParsesThereToTheSameMessage) {
    for (const Message& m : table()) {
        SCOPED_TRACE(m.name);
        const Bytes wire = our_encoding(m);
        NetPdu parsed = net_parse(wire, m);
        ASSERT_NE(parsed, nullptr) << to_hex(wire).substr(0, 300);
        expect_net_pdu_matches(parsed.get(), m);
    }
}

TEST(NetSnmpCrossCheck, NetSnmpEncodingDecodesHereToTheSameMessage) {
    for (const Message& m : table()) {
        SCOPED_TRACE(m.name);
        const Bytes wire = net_encode(m);
        ASSERT_FALSE(wire.empty());
        OwnedPdu pdu = make_pdu(PMS_PDU_NONE, 0);
        OwnedTarget target = make_target("before");
        ASSERT_EQ(decode(wire, pdu.get(), target.get()), PMC_S_OK) << to_hex(wire).substr(0, 300);
        expect_our_pdu_matches(pdu.get(), target.get(), m);
    }
}

TEST(NetSnmpCrossCheck, BothEncodersWriteTheSameOctets) {
    for (const Message& m : table()) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(to_hex(our_encoding(m)), to_hex(net_encode(m)));
    }
}

// Net-SNMP's messages hold at most MAX_OID_LEN (128) arcs, so the 200-arc
// identifier is compared element by element with its ASN.1 layer.
TEST(NetSnmpCrossCheck, TwoHundredArcIdentifier) {
    Arcs arcs{1, 3, 6, 1, 4, 1};
    while (arcs.size() < 200) arcs.push_back(static_cast<pmc_ulong>(arcs.size() * 1000));
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    ASSERT_EQ(pdu->add_varbind(our_oid(arcs).release(), nullptr), PMC_S_OK);
    OwnedTarget target = make_target("public");
    pmc_long status = -99;
    const Bytes wire = encode(pdu.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    // 30 LL 02 01 00 04 06 public A0 LL ... the name starts after the
    // binding's header: find the OID tag with a long-form length.
    std::size_t at = 0;
    while (at + 1 < wire.size() && !(wire[at] == 0x06 && wire[at + 1] == 0x82)) ++at;
    ASSERT_LT(at + 1, wire.size());
    std::vector<oid> parsed(256);
    size_t parsed_count = parsed.size();
    size_t left = wire.size() - at;
    u_char type = 0;
    Bytes element(wire.begin() + static_cast<long>(at), wire.end());
    ASSERT_NE(asn_parse_objid(element.data(), &left, &type, parsed.data(), &parsed_count), nullptr);
    EXPECT_EQ(Arcs(parsed.begin(), parsed.begin() + static_cast<long>(parsed_count)), arcs);

    // And Net-SNMP's element decodes here. Its builder also stops at 128
    // arcs, so the contents are built in two runs that share the 1.3 start.
    auto net_contents = [](const Arcs& part) {
        std::vector<oid> net_arcs = net_oid(part);
        u_char built[2048];
        size_t room = sizeof built;
        u_char* end = asn_build_objid(built, &room, ASN_OBJECT_ID, net_arcs.data(), net_arcs.size());
        EXPECT_NE(end, nullptr);
        if (end == nullptr) return Bytes();
        const std::size_t header = 2 + ((built[1] & 0x80) != 0 ? (built[1] & 0x7F) : 0);
        return Bytes(built + header, end);
    };
    const Bytes head = net_contents(Arcs(arcs.begin(), arcs.begin() + 100));
    Arcs rest{1, 3};
    rest.insert(rest.end(), arcs.begin() + 100, arcs.end());
    const Bytes tail = net_contents(rest);
    ASSERT_FALSE(head.empty());
    ASSERT_FALSE(tail.empty());
    const Bytes name = tlv(0x06, cat({head, Bytes(tail.begin() + 1, tail.end())}));
    const Bytes message_bytes = response(1, 0, 0, binding(name, hex("05 00")));
    OwnedPdu answer = make_pdu(PMS_PDU_NONE, 0);
    ASSERT_EQ(decode(message_bytes, answer.get(), target.get()), PMC_S_OK);
    EXPECT_EQ(arcs_of(answer->get_varbind_list()->get_at(0)->get_oid()), arcs);
}

// The short identifiers are where the two libraries part: we write the empty
// identifier as 06 00 (Net-SNMP reads zeros) and refuse one arc, which
// Net-SNMP writes as a bare first sub-identifier.
TEST(NetSnmpCrossCheck, EmptyAndOneArcIdentifiers) {
    Message empty{"empty", 1, "public", PMS_PDU_GET, 1, 0, 0, {}};
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 1);
    ASSERT_EQ(pdu->add_varbind(our_oid({}).release(), nullptr), PMC_S_OK);
    OwnedTarget target = make_target("public", PMS_VERSION_2C);
    pmc_long status = -99;
    const Bytes wire = encode(pdu.get(), target.get(), &status);
    ASSERT_EQ(status, PMC_S_OK);
    NetPdu parsed = net_parse(wire, empty);
    ASSERT_NE(parsed, nullptr);
    ASSERT_NE(parsed->variables, nullptr);
    const Arcs read_there(parsed->variables->name, parsed->variables->name + parsed->variables->name_length);
    EXPECT_LE(read_there.size(), 2u);
    for (pmc_ulong arc : read_there) EXPECT_EQ(arc, 0u);

    Message one{"one arc", 1, "public", PMS_PDU_GET, 1, 0, 0, {marker_var(ASN_NULL)}};
    one.vars[0].name = {1};
    const Bytes theirs = net_encode(one);
    ASSERT_FALSE(theirs.empty());
    OwnedPdu answer = make_pdu(PMS_PDU_NONE, 0);
    ASSERT_EQ(decode(theirs, answer.get(), target.get()), PMC_S_OK);
    // Net-SNMP writes the lone arc as the whole first sub-identifier (06 01 01).
    EXPECT_EQ(to_hex(Bytes(theirs.end() - 5, theirs.end())), "06 01 01 05 00");
    EXPECT_EQ(oid_text(answer->get_varbind_list()->get_at(0)->get_oid()), "0.1");
}

}  // namespace
