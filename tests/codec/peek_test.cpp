// A run of header peeks in one thread must answer exactly what each would
// answer in a thread of its own.
#include <thread>

#include "codec_test_support.h"
#include "wire_builder.h"

namespace {

struct Peek {
    pmc_long status = -99;
    pmc_long error_status = -99;
    pmc_long request_id = -99;
    bool operator==(const Peek& other) const {
        return status == other.status && error_status == other.error_status &&
               request_id == other.request_id;
    }
};

Peek peek(const Bytes& wire, pmc_long translate_type) {
    OwnedBuffer buffer = make_buffer();
    buffer->attach(const_cast<unsigned char*>(wire.data()), static_cast<pmc_ulong>(wire.size()),
                   PMS_BUFFER_BORROWED);
    Peek result;
    result.status = codec_registry()->peek_response(buffer.get(), &result.error_status,
                                                    &result.request_id, translate_type);
    return result;
}

// The same peek from a thread that has never peeked.
Peek fresh_peek(const Bytes& wire, pmc_long translate_type) {
    Peek result;
    std::thread([&] { result = peek(wire, translate_type); }).join();
    return result;
}

Bytes v1_trap() {
    Bytes ticks = integer(1234);
    ticks[0] = 0x43;
    return message(PMS_VERSION_1, "public", 0xA4,
                   cat({hex("06 06 2B 06 01 04 01 09"), hex("40 04 C0 A8 00 01"), integer(6), integer(1),
                        ticks, tlv(0x30, Bytes())}));
}

TEST(Peek, RunsOfPeeksAnswerAsFreshOnes) {
    const Bytes name = hex("06 08 2B 06 01 02 01 01 01 00");
    const Bytes good = response(4711, 0, 0, binding(name, hex("05 00")));
    const Bytes too_big = response(4712, PMS_ERR_TOO_BIG, 0, Bytes());
    const Bytes other_community = response(-5, 2, 1, binding(name, hex("02 01 07")), PMS_VERSION_2C, "private");
    const Bytes truncated(good.begin(), good.begin() + 14);
    const Bytes v3 = message(3, "public", 0xA2, cat({integer(1), integer(0), integer(0), tlv(0x30, Bytes())}));
    const Bytes not_a_pdu = message(PMS_VERSION_1, "public", 0x9F, cat({integer(9)}));
    const Bytes* const wires[] = {&good, &too_big, &other_community, &truncated, &v3, &not_a_pdu};
    const Bytes trap = v1_trap();
    const pmc_long types[] = {PMS_SECURITY_COMMUNITY, PMS_TRANSLATE_NONE, PMS_SECURITY_COMMUNITY};
    for (pmc_long type : types) {
        for (const Bytes* wire : wires) {
            // A trap after each message: it sets neither field, so it must not
            // show what the message before it left.
            for (const Bytes* next : {wire, &trap, wire}) {
                const Peek expected = fresh_peek(*next, type);
                const Peek got = peek(*next, type);
                EXPECT_TRUE(got == expected)
                    << "type " << type << ": " << got.status << "/" << got.request_id << "/" << got.error_status
                    << " instead of " << expected.status << "/" << expected.request_id << "/"
                    << expected.error_status << " for " << to_hex(*next);
            }
        }
    }
    // The answers themselves, so that agreement is not agreement in failing.
    const Peek answer = peek(good, PMS_SECURITY_COMMUNITY);
    EXPECT_EQ(answer.status, PMC_S_OK);
    EXPECT_EQ(answer.request_id, 4711);
    EXPECT_EQ(answer.error_status, 0);
    EXPECT_EQ(peek(too_big, PMS_SECURITY_COMMUNITY).error_status, PMS_ERR_TOO_BIG);
    EXPECT_EQ(peek(other_community, PMS_SECURITY_COMMUNITY).request_id, -5);
    EXPECT_EQ(peek(truncated, PMS_SECURITY_COMMUNITY).status, PMC_E_DECODE);
    EXPECT_EQ(peek(good, PMS_TRANSLATE_NONE).status, PMC_E_INVALID_ARG);
}

}  // namespace
