// Replays the fuzz seeds and every input a fuzzer ever crashed on
// (tests/codec/regressions): each must decode and peek to 0 or a clean
// negative status.
#include <dirent.h>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "codec_test_support.h"

namespace {

std::vector<std::string> files_in(const std::string& dir) {
    std::vector<std::string> paths;
    DIR* handle = opendir(dir.c_str());
    if (handle == nullptr) return paths;
    while (dirent* entry = readdir(handle)) {
        if (entry->d_name[0] != '.') paths.push_back(dir + "/" + entry->d_name);
    }
    closedir(handle);
    return paths;
}

Bytes read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void replay(const std::string& path) {
    SCOPED_TRACE(path);
    const Bytes wire = read_bytes(path);
    OwnedPdu pdu = make_pdu(PMS_PDU_GET, 0);
    add_binding(pdu.get(), "1.3.6.1.2.1.1.1.0", make_int(1));
    OwnedTarget target = make_target("public");
    EXPECT_LE(decode(wire, pdu.get(), target.get()), 0);

    OwnedBuffer buffer = make_buffer();
    Bytes copy = wire;
    buffer->attach(copy.data(), static_cast<pmc_ulong>(copy.size()), PMS_BUFFER_BORROWED);
    pmc_long error_status = -1;
    pmc_long request_id = -1;
    EXPECT_LE(codec_registry()->peek_response(buffer.get(), &error_status, &request_id, 0), 0);
}

TEST(CorpusReplay, SeedsDecodeCleanly) {
    const std::vector<std::string> seeds = files_in(std::string(PMSNMP_FUZZ_CORPUS) + "/decode_packet");
    EXPECT_FALSE(seeds.empty());
    for (const std::string& path : seeds) {
        replay(path);
        // The seeds are well-formed messages.
        OwnedPdu pdu = make_pdu(PMS_PDU_NONE, 0);
        OwnedTarget target = make_target("x");
        EXPECT_EQ(decode(read_bytes(path), pdu.get(), target.get()), PMC_S_OK) << path;
    }
}

TEST(CorpusReplay, FormerCrashesDecodeCleanly) {
    for (const std::string& path : files_in(PMSNMP_CODEC_REGRESSIONS)) replay(path);
}

}  // namespace
