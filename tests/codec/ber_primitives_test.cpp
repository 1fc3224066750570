// The backward writer, the forward reader and the message buffer.
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "codec/backward_writer.h"
#include "codec/forward_reader.h"
#include "codec_test_support.h"

namespace {

// Runs fn on a writer over a roomy block and returns what it wrote.
template <class Fn>
Bytes written_by(Fn fn) {
    unsigned char block[64];
    CPmsBackwardWriter writer(block, sizeof block);
    fn(writer);
    EXPECT_FALSE(writer.overflowed());
    return Bytes(writer.position(), block + sizeof block);
}

struct SignedCase {
    pmc_long number;
    const char* wire;
};

TEST(BackwardWriter, IntegersUseFewestTwosComplementOctets) {
    const SignedCase cases[] = {
        {0, "02 01 00"},          {127, "02 01 7F"},         {128, "02 02 00 80"},
        {-1, "02 01 FF"},         {-128, "02 01 80"},        {-129, "02 02 FF 7F"},
        {32767, "02 02 7F FF"},   {32768, "02 03 00 80 00"}, {-32768, "02 02 80 00"},
        {-32769, "02 03 FF 7F FF"}, {8388607, "02 03 7F FF FF"}, {8388608, "02 04 00 80 00 00"},
        {2147483647, "02 04 7F FF FF FF"}, {-2147483647 - 1, "02 04 80 00 00 00"},
    };
    for (const SignedCase& c : cases) {
        EXPECT_EQ(to_hex(written_by([&](CPmsBackwardWriter& w) {
                      w.put_integer(0x02, c.number);
                  })),
                  to_hex(hex(c.wire)))
            << c.number;
    }
}

struct UnsignedCase {
    pmc_ulong number;
    const char* wire;
};

TEST(BackwardWriter, UnsignedKeepsTheFirstTopBitClear) {
    const UnsignedCase cases[] = {
        {0, "42 01 00"},          {127, "42 01 7F"},          {128, "42 02 00 80"},
        {32767, "42 02 7F FF"},   {32768, "42 03 00 80 00"},  {8388607, "42 03 7F FF FF"},
        {2147483647u, "42 04 7F FF FF FF"}, {2147483648u, "42 05 00 80 00 00 00"},
        {4294967295u, "42 05 00 FF FF FF FF"},
    };
    for (const UnsignedCase& c : cases) {
        EXPECT_EQ(to_hex(written_by([&](CPmsBackwardWriter& w) {
                      w.put_unsigned_element(0x42, c.number);
                  })),
                  to_hex(hex(c.wire)))
            << c.number;
    }
}

TEST(BackwardWriter, Counter64Halves) {
    auto counter64 = [](pmc_ulong high, pmc_ulong low) {
        return to_hex(written_by([&](CPmsBackwardWriter& w) {
            const pmc_ulong before = w.written();
            w.put_counter64(high, low);
            w.put_header(0x46, w.written() - before);
        }));
    };
    EXPECT_EQ(counter64(0, 0x80000000u), "46 05 00 80 00 00 00");
    EXPECT_EQ(counter64(1, 0), "46 05 01 00 00 00 00");
    EXPECT_EQ(counter64(0, 0), "46 01 00");
    EXPECT_EQ(counter64(0xFFFFFFFFu, 0xFFFFFFFFu), "46 09 00 FF FF FF FF FF FF FF FF");
    EXPECT_EQ(counter64(0x80, 5), "46 06 00 80 00 00 00 05");
}

TEST(BackwardWriter, LengthOctets) {
    auto length = [](pmc_ulong n) {
        return to_hex(written_by([&](CPmsBackwardWriter& w) { w.put_length(n); }));
    };
    EXPECT_EQ(length(0), "00");
    EXPECT_EQ(length(127), "7F");
    EXPECT_EQ(length(128), "81 80");
    EXPECT_EQ(length(200), "81 C8");
    EXPECT_EQ(length(255), "81 FF");
    EXPECT_EQ(length(256), "82 01 00");
    EXPECT_EQ(length(300), "82 01 2C");
    EXPECT_EQ(length(0x10000), "83 01 00 00");
    EXPECT_EQ(length(0xFFFFFFFFu), "84 FF FF FF FF");
}

TEST(BackwardWriter, IdentifierArcs) {
    auto oid = [](std::vector<pmc_ulong> arcs) {
        return to_hex(written_by([&](CPmsBackwardWriter& w) {
            const pmc_ulong before = w.written();
            w.put_oid_arcs(arcs.data(), static_cast<pmc_ulong>(arcs.size()));
            w.put_header(0x06, w.written() - before);
        }));
    };
    EXPECT_EQ(oid({1, 3, 6, 1, 2, 1, 1, 1, 0}), "06 08 2B 06 01 02 01 01 01 00");
    EXPECT_EQ(oid({1, 3, 200}), "06 03 2B 81 48");
    EXPECT_EQ(oid({}), "06 00");
    EXPECT_EQ(oid({2, 999}), "06 02 88 37");
    EXPECT_EQ(oid({1, 3, 4294967295u}), "06 06 2B 8F FF FF FF 7F");
    EXPECT_EQ(oid({0, 0}), "06 01 00");
    // 2.4294967295 packs to 2^32 + 79: it must not wrap to a small number.
    EXPECT_EQ(oid({2, 4294967295u}), "06 05 90 80 80 80 4F");
}

TEST(BackwardWriter, OverflowIsStickyAndStoresNothing) {
    unsigned char block[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    CPmsBackwardWriter writer(block, sizeof block);
    writer.put(0x01);
    writer.put(0x02);
    const unsigned char run[3] = {7, 8, 9};
    writer.put_run(run, 3);  // does not fit in the two octets left
    EXPECT_TRUE(writer.overflowed());
    EXPECT_EQ(to_hex(block, 4), "EE EE 02 01");
    writer.put(0x03);  // would fit, but the flag never clears
    EXPECT_TRUE(writer.overflowed());
    EXPECT_EQ(to_hex(block, 4), "EE EE 02 01");
    EXPECT_EQ(writer.written(), 2u);
}

TEST(BackwardWriter, RunKeepsItsOrderAndZeroBlockOverflowsAtOnce) {
    unsigned char block[5] = {};
    CPmsBackwardWriter writer(block, sizeof block);
    const unsigned char run[3] = {7, 8, 9};
    writer.put_run(run, 3);
    writer.put_header(0x04, 3);
    EXPECT_FALSE(writer.overflowed());
    EXPECT_EQ(to_hex(block, 5), "04 03 07 08 09");

    CPmsBackwardWriter empty(nullptr, 0);
    empty.put(0x30);
    EXPECT_TRUE(empty.overflowed());
}

struct LengthCase {
    const char* wire;
    pmc_long status;
    pmc_ulong length;
};

TEST(ForwardReader, LengthForms) {
    const LengthCase cases[] = {
        {"05", PMC_S_OK, 5},
        {"7F", PMC_S_OK, 127},
        {"81 C8", PMC_S_OK, 200},
        {"82 01 2C", PMC_S_OK, 300},
        {"84 FF FF FF FF", PMC_S_OK, 0xFFFFFFFFu},
        {"86 00 00 00 00 01 00", PMC_S_OK, 256},  // leading zeros are harmless
        {"85 01 00 00 00 05", PMC_E_DECODE, 0},   // more than 32 bits
        {"80", PMC_E_DECODE, 0},                  // indefinite form
        {"82 01", PMC_E_DECODE, 0},               // runs out
        {"", PMC_E_DECODE, 0},
    };
    for (const LengthCase& c : cases) {
        const Bytes wire = hex(c.wire);
        CPmsForwardReader reader(wire.data(), wire.data() + wire.size());
        pmc_ulong length = 0;
        EXPECT_EQ(reader.read_length(&length), c.status) << c.wire;
        if (c.status == PMC_S_OK) {
            EXPECT_EQ(length, c.length) << c.wire;
        }
    }
}

TEST(ForwardReader, ElementsNeedTheExactTagAndTheirWholeContents) {
    const Bytes wire = hex("04 03 61 62 63 02 05 00");
    CPmsForwardReader reader(wire.data(), wire.data() + wire.size());
    const unsigned char* contents = nullptr;
    pmc_ulong length = 0;
    EXPECT_EQ(reader.read_element(0x44, &contents, &length), PMC_E_DECODE);  // wrong tag

    CPmsForwardReader again(wire.data(), wire.data() + wire.size());
    ASSERT_EQ(again.read_element(0x04, &contents, &length), PMC_S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(contents), length), "abc");
    EXPECT_EQ(again.read_element(0x02, &contents, &length), PMC_E_DECODE);  // 5 announced, 1 there
}

// Contents of each integer kind: what fits, whatever padding comes first,
// and what does not fit (refused, never cut to its low octets).
struct IntegerCase {
    char kind;  // 'i' INTEGER, 'u' Counter32/Gauge32/TimeTicks, 'c' Counter64
    const char* contents;
    pmc_long status;
    unsigned long long value;  // Counter64 whole; the others as 32-bit patterns
};

pmc_long read_kind(char kind, const Bytes& contents, unsigned long long* value) {
    const auto length = static_cast<pmc_ulong>(contents.size());
    pmc_long number = 0;
    pmc_ulong bits = 0;
    pmc_ulong high = 0;
    pmc_long status = PMC_E_FAIL;
    if (kind == 'i') {
        status = NPmcBerContents::read_integer(contents.data(), length, &number);
        bits = static_cast<pmc_ulong>(number);
    } else if (kind == 'u') {
        status = NPmcBerContents::read_unsigned(contents.data(), length, &bits);
    } else {
        status = NPmcBerContents::read_counter64(contents.data(), length, &high, &bits);
    }
    *value = (static_cast<unsigned long long>(high) << 32) | bits;
    return status;
}

TEST(ForwardReader, IntegerContentsFitTheirKind) {
    const IntegerCase cases[] = {
        {'i', "", PMC_S_OK, 0},
        {'i', "7F", PMC_S_OK, 127},
        {'i', "FF 7F", PMC_S_OK, static_cast<pmc_ulong>(-129)},
        {'i', "80 00 00 00", PMC_S_OK, 0x80000000u},
        {'i', "00 00 00 00 00 00 00 05", PMC_S_OK, 5},
        {'i', "FF FF FF FF FF FB", PMC_S_OK, static_cast<pmc_ulong>(-5)},
        {'i', "FF FF 80 00 00 00", PMC_S_OK, 0x80000000u},
        {'i', "01 00 00 00 00 00 00 05", PMC_E_DECODE, 0},
        {'i', "00 FF FF FF FF", PMC_E_DECODE, 0},  // 2^32 - 1
        {'i', "00 80 00 00 00", PMC_E_DECODE, 0},  // 2^31
        {'i', "FF 7F FF FF FF", PMC_E_DECODE, 0},  // -2^31 - 1
        {'u', "FF", PMC_S_OK, 0xFFFFFFFFu},
        {'u', "00 80", PMC_S_OK, 128},
        {'u', "00 FF FF FF FF", PMC_S_OK, 0xFFFFFFFFu},
        {'u', "00 00 00 12 34 56 78", PMC_S_OK, 0x12345678u},
        {'u', "01 FF FF FF FF", PMC_E_DECODE, 0},
        {'u', "00 00 12 34 56 78 9A", PMC_E_DECODE, 0},
        {'u', "FF FF FF FF FF", PMC_E_DECODE, 0},  // 0xFF pads only INTEGER
        {'c', "", PMC_S_OK, 0},
        {'c', "00 80 00 00 00", PMC_S_OK, 0x80000000u},
        {'c', "00 FF FF FF FF FF FF FF FF", PMC_S_OK, ~0ull},
        {'c', "00 00 00 00 01 02 03 04 05 06 07 08", PMC_S_OK, 0x0102030405060708ull},
        {'c', "01 00 00 00 00 00 00 00 00", PMC_E_DECODE, 0},
        {'c', "00 00 00 01 02 03 04 05 06 07 08 09", PMC_E_DECODE, 0},
    };
    for (const IntegerCase& c : cases) {
        unsigned long long value = 0;
        EXPECT_EQ(read_kind(c.kind, hex(c.contents), &value), c.status) << c.kind << " " << c.contents;
        if (c.status == PMC_S_OK) {
            EXPECT_EQ(value, c.value) << c.kind << " " << c.contents;
        }
    }
}

TEST(MessageBuffer, NewBufferIsEmpty) {
    OwnedBuffer buffer = make_buffer();
    EXPECT_EQ(buffer->data(), nullptr);
    EXPECT_EQ(buffer->size(), 0u);
    EXPECT_EQ(buffer->remaining(), 0u);
}

TEST(MessageBuffer, AllocateSeekRemaining) {
    OwnedBuffer buffer = make_buffer();
    ASSERT_TRUE(buffer->allocate(100));
    EXPECT_EQ(buffer->size(), 100u);
    EXPECT_EQ(buffer->current(), buffer->data());
    buffer->seek(40);
    EXPECT_EQ(buffer->current(), buffer->data() + 40);
    EXPECT_EQ(buffer->remaining(), 60u);
    buffer->seek(1000);  // stops at the end
    EXPECT_EQ(buffer->remaining(), 0u);
    const IPmsMessageBuffer& view = *buffer;
    EXPECT_EQ(view.data(), buffer->data());
}

TEST(MessageBuffer, AttachDetachAndModes) {
    OwnedBuffer buffer = make_buffer();
    unsigned char* block = static_cast<unsigned char*>(std::malloc(16));
    ASSERT_NE(block, nullptr);
    buffer->attach(block, 16, PMS_BUFFER_MALLOC);
    EXPECT_EQ(buffer->data(), block);
    EXPECT_EQ(buffer->remaining(), 16u);
    pmc_ulong size = 0;
    EXPECT_EQ(buffer->detach(&size), block);
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(buffer->data(), nullptr);
    buffer->attach(block, 16, PMS_BUFFER_MALLOC);
    buffer->free_data();  // frees with free(): ASan reports a mismatch or leak otherwise
    EXPECT_EQ(buffer->size(), 0u);

    unsigned char stack_block[8];
    buffer->attach(stack_block, sizeof stack_block, PMS_BUFFER_BORROWED);
    buffer->free_data();  // never freed by the buffer
    ASSERT_TRUE(buffer->allocate(8));
    unsigned char* library_block = buffer->detach(nullptr);
    delete[] library_block;
}

}  // namespace
