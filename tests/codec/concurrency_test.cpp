// Encoders and decoders are reused per thread: threads must not see each
// other's state, and two codecs taken on one thread must be distinct.
#include <thread>

#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "wire_builder.h"

namespace {

TEST(CodecConcurrency, ThreadsEncodeAndDecodeTheirOwnMessages) {
    constexpr int threads = 4;
    constexpr int rounds = 300;
    std::vector<int> failures(threads, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &failures] {
            for (int r = 0; r < rounds; ++r) {
                OwnedPdu pdu = make_pdu(PMS_PDU_SET, t * 100000 + r);
                const std::string name = "1.3.6.1.4.1." + std::to_string(t) + "." + std::to_string(r);
                OwnedOid oid = make_oid(name);
                pdu->add_varbind(oid.release(), make_int(t * 1000 + r).release());
                OwnedTarget target = make_target(("c" + std::to_string(t)).c_str());
                pmc_long status = -99;
                const Bytes wire = encode(pdu.get(), target.get(), &status);
                OwnedPdu back = make_pdu(PMS_PDU_NONE, 0);
                OwnedTarget back_target = make_target(nullptr);
                if (status != PMC_S_OK || decode(wire, back.get(), back_target.get()) != PMC_S_OK ||
                    back->get_request_id() != t * 100000 + r ||
                    oid_text(back->get_varbind_list()->get_at(0)->get_oid()) != name ||
                    back->get_varbind_list()->get_at(0)->get_value()->get_int(nullptr) != t * 1000 + r) {
                    ++failures[static_cast<std::size_t>(t)];
                }
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    for (int t = 0; t < threads; ++t) EXPECT_EQ(failures[static_cast<std::size_t>(t)], 0) << "thread " << t;
}

}  // namespace
