// Several threads log at once through sessions that share one file: every
// line must arrive whole, none lost, each thread's lines in its own order.
#include <atomic>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "log/log_files.h"
#include "support/log_capture.h"
#include "log/log_manager_impl.h"
#include "log/temp_dir.h"

namespace {

constexpr int kThreads = 6;
constexpr int kLinesPerThread = 400;

void write_lines(IPmcLogSession* session, int thread, std::atomic<bool>* go) {
    while (!go->load()) std::this_thread::yield();
    for (int i = 0; i < kLinesPerThread; ++i) {
        session->write_line(PMC_LOG_INFO, "thread=%d seq=%d payload=%s", thread, i,
                            "abcdefghijklmnopqrstuvwxyz0123456789");
    }
}

TEST(LogConcurrency, ThreadsWritingToOneFileLeaveWholeLines) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("shared.log");
    std::unique_ptr<CPmcLogManager> manager(CPmcLogManager::create());
    ASSERT_NE(manager, nullptr);
    pmc_long status = PMC_E_FAIL;
    IPmcLogWriter* file = manager->create_writer("file", "shared", &status);
    void* settings = nullptr;
    ASSERT_EQ(file->query_interface(PMC_IID_LOG_FILE_SETTINGS, &settings), PMC_S_OK);
    static_cast<IPmcLogFileWriter*>(settings)->set_path(path.c_str());
    static_cast<IPmcLogFileWriter*>(settings)->release();
    ASSERT_EQ(manager->configure(PMC_LOG_ALL, 0, file), PMC_S_OK);

    // Two sessions, so that the file writer's own lock is what keeps lines
    // apart, and three threads on each, for the session lock.
    IPmcLogSession* sessions[] = {manager->get_session("left", nullptr, &status),
                                  manager->get_session("right", nullptr, &status)};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(write_lines, sessions[t % 2], t, &go);
    }
    go.store(true);
    for (std::thread& thread : threads) thread.join();

    std::istringstream content(read_file(path));
    std::string line;
    std::map<int, int> next_seq;
    int count = 0;
    while (std::getline(content, line)) {
        ++count;
        int thread = -1;
        int seq = -1;
        char payload[64] = {};
        const std::string body = line.substr(line.find(", Info , ") + 9);
        ASSERT_EQ(std::sscanf(body.c_str(), "thread=%d seq=%d payload=%63s", &thread, &seq,
                              payload),
                  3)
            << line;
        EXPECT_STREQ(payload, "abcdefghijklmnopqrstuvwxyz0123456789") << line;
        EXPECT_EQ(seq, next_seq[thread]) << line;
        next_seq[thread] = seq + 1;
        const std::string name = thread % 2 == 0 ? "left " : "right";
        EXPECT_EQ(line.substr(45, 5), name) << line;
    }
    EXPECT_EQ(count, kThreads * kLinesPerThread);
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next_seq[t], kLinesPerThread);
}

TEST(LogConcurrency, SettingsChangeWhileOthersWrite) {
    std::unique_ptr<CPmcLogManager> manager(CPmcLogManager::create());
    ASSERT_NE(manager, nullptr);
    LogCapture capture;
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* session = manager->get_session("busy", &capture, &status);
    session->set_level_mask(PMC_LOG_ALL);
    std::atomic<bool> go{false};
    std::thread writer(write_lines, session, 0, &go);
    std::thread changer([&] {
        while (!go.load()) std::this_thread::yield();
        for (int i = 0; i < 200; ++i) {
            session->set_indentation_depth(static_cast<pmc_ulong>(i % 5));
            session->set_radix(i % 2 == 0 ? 16 : 10);
            session->set_line_flags(static_cast<pmc_ulong>(i % 8));
        }
    });
    go.store(true);
    writer.join();
    changer.join();
    std::vector<std::string> lines = capture.lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kLinesPerThread));
    for (const std::string& line : lines) {
        EXPECT_NE(line.find("payload=abcdefghijklmnopqrstuvwxyz0123456789"), std::string::npos);
    }
    manager.reset();
}

}  // namespace
