// Every operation with its Nth allocation failing, for each N until the
// operation no longer reaches an Nth allocation: each run ends with 0 or
// -3, never a crash, and (under ASan) leaves no leak behind.
#include <gtest/gtest.h>

#include <execinfo.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include <pmsnmp/pmsnmp.h>

#include "codec/codec_registry.h"
#include "message/pdu_factory.h"
#include "value/value_factory.h"
#include "support/test_agent.h"

// --- the failing allocator -------------------------------------------------

namespace {

std::atomic<long> g_countdown{0};  // allocations left before the failing one
std::atomic<bool> g_failed{false};

bool allocation_fails() {
    if (g_countdown.load(std::memory_order_relaxed) <= 0) return false;
    if (g_countdown.fetch_sub(1) != 1) return false;
    g_failed = true;
    // PMSNMP_ALLOC_TRACE=1 shows where each failing allocation came from.
    if (std::getenv("PMSNMP_ALLOC_TRACE") != nullptr) {
        void* frames[32];
        backtrace_symbols_fd(frames, backtrace(frames, 32), STDERR_FILENO);
        write(STDERR_FILENO, "--\n", 3);
    }
    return true;
}

void* allocate(std::size_t size) { return allocation_fails() ? nullptr : std::malloc(size ? size : 1); }

void* allocate_or_throw(std::size_t size) {
    void* block = allocate(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

}  // namespace

void* operator new(std::size_t size) { return allocate_or_throw(size); }
void* operator new[](std::size_t size) { return allocate_or_throw(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

// The library's own malloc calls reach these through the linker's --wrap.
extern "C" {
void* __real_malloc(std::size_t size);
void* __real_realloc(void* block, std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __wrap_malloc(std::size_t size) { return allocation_fails() ? nullptr : __real_malloc(size); }
void* __wrap_realloc(void* block, std::size_t size) {
    return allocation_fails() ? nullptr : __real_realloc(block, size);
}
void* __wrap_calloc(std::size_t count, std::size_t size) {
    return allocation_fails() ? nullptr : __real_calloc(count, size);
}
}

namespace {

// An answer that arrived but is not what was asked for.
constexpr pmc_long kWrongAnswer = -9999;
constexpr long kMostAllocations = 100000;

// Runs operation with allocation 1, 2, ... failing until a run completes
// without reaching the failing one; that run must succeed.
template <class Operation>
void with_each_allocation_failing(Operation operation) {
    long out_of_memory = 0;
    for (long n = 1; n < kMostAllocations; ++n) {
        g_failed = false;
        g_countdown = n;
        const pmc_long status = operation();
        g_countdown = 0;
        if (!g_failed) {
            EXPECT_EQ(status, PMC_S_OK) << "with every allocation served";
            EXPECT_GT(out_of_memory, 0) << "no run reported the failed allocation";
            return;
        }
        out_of_memory += status == PMC_E_NO_MEMORY;
        if (status != PMC_S_OK && status != PMC_E_NO_MEMORY) {
            ADD_FAILURE() << "allocation " << n << " failing gave status " << status;
            return;
        }
    }
    ADD_FAILURE() << "more than " << kMostAllocations << " allocations";
}

constexpr int kRows = 20;
constexpr int kAgentLifetimeSeconds = 600;
constexpr const char* kColumn = "1.3.6.1.2.1.43.11.1.1.9.1";

std::string row(int i) { return std::string(kColumn) + "." + std::to_string(i); }

// The names, made before any allocation may fail.
const std::vector<std::string>& rows() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (int i = 1; i <= kRows; ++i) out.push_back(row(i));
        return out;
    }();
    return names;
}

std::string table_scenario() {
    std::string table;
    for (int i = 1; i <= kRows; ++i) {
        table += (i > 1 ? ", \"" : "\"") + row(i) + "\": [\"integer\", " + std::to_string(10 * i) + "]";
    }
    return "{\"count_only\": true, \"table\": {" + table + "}}";
}

class AllocationFailure : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        agent_ = new pmc_test::TestAgent(table_scenario(), "127.0.0.1", kAgentLifetimeSeconds);
    }
    static void TearDownTestSuite() {
        delete agent_;
        agent_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(agent_->running()) << agent_->error();
        rows();
    }

    // A new object opened on the agent; its status when that fails.
    static pmc_long open(pmc::Owned<IPmcGetData>* out, pmc_ulong max_size = 0) {
        pmc_long status = PMC_S_OK;
        out->reset(pmc_create_get_data(&status));
        if (!*out) return status;
        return (*out)->open("127.0.0.1", PMC_ADDRESS_IPV4, agent_->port(), PMS_VERSION_1, nullptr,
                            0, 0, 0, nullptr, nullptr, nullptr, 1000, 0, max_size);
    }

    static pmc_test::TestAgent* agent_;
};

pmc_test::TestAgent* AllocationFailure::agent_ = nullptr;

TEST_F(AllocationFailure, GetInteger) {
    with_each_allocation_failing([] {
        pmc::Owned<IPmcGetData> object;
        pmc_long status = open(&object);
        if (status != PMC_S_OK) return status;
        if ((status = object->add_get_variable(rows()[2].c_str(), false)) != PMC_S_OK) return status;
        pmc_long value = 0;
        if ((status = object->get_integer(&value)) != PMC_S_OK) return status;
        return value == 30 ? PMC_S_OK : kWrongAnswer;
    });
}

TEST_F(AllocationFailure, WalkOfTwentyObjects) {
    with_each_allocation_failing([] {
        pmc::Owned<IPmcGetData> object;
        pmc_long status = open(&object);
        if (status != PMC_S_OK) return status;
        pmc::Owned<IPmcPtrList<IPmsPdu>> responses(pms_create_pdu_list(&status));
        if (!responses) return status;
        if ((status = object->add_get_variable(kColumn, false)) != PMC_S_OK) return status;
        if ((status = object->walk(responses.get(), kColumn)) != PMC_S_OK) return status;
        return responses->count() == kRows ? PMC_S_OK : kWrongAnswer;
    });
}

TEST_F(AllocationFailure, SplitRequest) {
    with_each_allocation_failing([] {
        pmc::Owned<IPmcGetData> object;
        // Twenty names do not fit 200 octets: the request goes out in pieces.
        pmc_long status = open(&object, 200);
        if (status != PMC_S_OK) return status;
        for (int i = 1; i <= kRows; ++i) {
            if ((status = object->add_get_variable(rows()[i - 1].c_str(), false)) != PMC_S_OK) return status;
        }
        pmc_long values[kRows] = {};
        if ((status = object->get_integer_array(values, kRows)) != PMC_S_OK) return status;
        for (int i = 0; i < kRows; ++i) {
            if (values[i] != 10 * (i + 1)) return kWrongAnswer;
        }
        return PMC_S_OK;
    });
}

TEST(AllocationFailureCodec, DecoderOnATwentyBindingAnswer) {
    std::ifstream in(std::string(PMSNMP_FUZZ_CORPUS) + "/decode_packet/response20", std::ios::binary);
    std::vector<unsigned char> wire((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(wire.empty());
    ASSERT_NE(codec_registry(), nullptr);
    with_each_allocation_failing([&wire] {
        pmc_long status = PMC_S_OK;
        pmc::Owned<IPmsMessageBuffer> buffer(create_message_buffer(&status));
        if (!buffer) return status;
        buffer->attach(wire.data(), static_cast<pmc_ulong>(wire.size()), PMS_BUFFER_BORROWED);
        pmc::Owned<IPmsPdu> pdu(create_pdu(&status));
        if (!pdu) return status;
        if ((status = codec_registry()->decode(buffer.get(), pdu.get(), nullptr, 0)) != PMC_S_OK) {
            return status;
        }
        IPmsVarBindList* list = pdu->get_varbind_list();
        return list != nullptr && list->count() == kRows ? PMC_S_OK : kWrongAnswer;
    });
}

TEST(AllocationFailureValues, EachKindFromText) {
    // Every kind with a text form (NULL and the exceptions have none).
    const struct {
        pmc_long type;
        const char* text;
    } cases[] = {
        {PMS_TYPE_INTEGER, "-42"},
        {PMS_TYPE_OCTET_STRING, "Black Toner"},
        {PMS_TYPE_OID, "1.3.6.1.2.1.43.11.1.1.6.1.1"},
        {PMS_TYPE_IP_ADDRESS, "192.0.2.7"},
        {PMS_TYPE_COUNTER32, "4294967295"},
        {PMS_TYPE_GAUGE32, "17"},
        {PMS_TYPE_TIME_TICKS, "81689900"},
        {PMS_TYPE_OPAQUE, "opaque"},
        {PMS_TYPE_COUNTER64, "18446744073709551615"},
        {PMS_TYPE_IPV6_ADDRESS, "fe80:0:0:0:2aa:ff:fe28:9c5a"},
        {PMS_TYPE_UDP_ADDRESS, "127.0.0.1/161"},
        {PMS_TYPE_IPX_ADDRESS, "0000000a:0000c0a80101/4000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        with_each_allocation_failing([&c] {
            pmc_long status = PMC_S_OK;
            pmc::Owned<IPmsValue> value(pms_create_value_from_text(c.text, c.type, &status));
            if (!value) return status;
            pmc::Owned<IPmcByteString> text(value->get_text_new(&status));
            if (status != PMC_S_OK) return status;
            return text && text->get_length() > 0 && value->get_type() == c.type ? PMC_S_OK
                                                                                  : kWrongAnswer;
        });
    }
}

}  // namespace
