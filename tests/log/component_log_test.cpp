#include "log/component_log.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "log/log_files.h"
#include "support/log_capture.h"
#include "log/log_config.h"
#include "log/log_manager_impl.h"
#include "log/null_log_objects.h"
#include "log/temp_dir.h"

namespace {

// What comes before the session name on a line without time, process or
// thread, and the column where the level tag starts after the 16-wide name.
const std::string kBlankStamps =
    std::string(23, ' ') + ", " + std::string(8, ' ') + ", " + std::string(8, ' ') + ", ";
constexpr std::size_t kTagColumn = 63;

// Puts the process-wide log back to its silent default.
struct SilenceAfter {
    ~SilenceAfter() { pmc_log_manager_impl()->configure(0, PMC_LOG_FLAGS_DEFAULT, nullptr); }
};

TEST(ComponentLog, SlotsHoldTheNamedSessions) {
    IPmcLogSession* snmp = pmc_snmp_log();
    IPmcLogSession* socket = pmc_socket_log();
    EXPECT_STREQ(snmp->get_name(), "snmp");
    EXPECT_STREQ(socket->get_name(), "socket");
    EXPECT_EQ(pmc_snmp_log(), snmp);
    pmc_long status = PMC_E_FAIL;
    EXPECT_EQ(pmc_log_manager()->find_session("snmp", &status), snmp);
    EXPECT_EQ(status, PMC_S_OK);
}

TEST(ComponentLog, UnconfiguredLibraryIsSilent) {
    EXPECT_EQ(pmc_snmp_log()->get_level_mask(), 0u);
    EXPECT_EQ(pmc_socket_log()->get_level_mask(), 0u);
    EXPECT_EQ(pmc_log_manager_impl()->root()->get_level_mask(), 0u);
}

TEST(ComponentLog, SlotIsFilledOnceUnderRace) {
    static PmcLogSlot slot("race");
    std::vector<IPmcLogSession*> seen(8, nullptr);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&, i] {
            while (!go.load()) std::this_thread::yield();
            seen[i] = slot.get();
        });
    }
    go.store(true);
    for (std::thread& thread : threads) thread.join();
    EXPECT_STREQ(seen[0]->get_name(), "race");
    for (IPmcLogSession* session : seen) EXPECT_EQ(session, seen[0]);
}

pmc_long traced_operation(IPmcLogSession* log, bool fail_early) {
    PmcTraceScope scope(log, "CPmsThing::operate(1)");
    if (fail_early) {
        log->write_line(PMC_LOG_ERROR, "[%s] failed (%d).", "CPmsThing::operate(1)", 110);
        return PMC_E_TIMEOUT;
    }
    return PMC_S_OK;
}

TEST(ComponentLog, TraceScopeWritesEnterAndExitOnEveryPath) {
    std::unique_ptr<CPmcLogManager> manager(CPmcLogManager::create());
    LogCapture capture;
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* log = manager->get_session("scoped", &capture, &status);
    log->set_line_flags(0);
    EXPECT_EQ(traced_operation(log, false), PMC_S_OK);
    EXPECT_TRUE(capture.lines().empty());  // mask 0

    log->set_level_mask(PMC_LOG_ALL);
    EXPECT_EQ(traced_operation(log, true), PMC_E_TIMEOUT);
    EXPECT_EQ(traced_operation(log, false), PMC_S_OK);
    std::vector<std::string> lines = capture.lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(kTagColumn), "Trace, [CPmsThing::operate(1)] enter.");
    EXPECT_EQ(lines[1].substr(kTagColumn), "Error, [CPmsThing::operate(1)] failed (110).");
    EXPECT_EQ(lines[2].substr(kTagColumn), "Trace, [CPmsThing::operate(1)] exit.");
    EXPECT_EQ(lines[3].substr(kTagColumn), "Trace, [CPmsThing::operate(1)] enter.");
    EXPECT_EQ(lines[4].substr(kTagColumn), "Trace, [CPmsThing::operate(1)] exit.");
    manager.reset();
}

TEST(ComponentLog, FailingWriterLeavesTheOperationsStatusAlone) {
    std::unique_ptr<CPmcLogManager> manager(CPmcLogManager::create());
    LogCapture broken(PMC_E_OPEN_FILE);
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* log = manager->get_session("broken", &broken, &status);
    log->set_level_mask(PMC_LOG_ALL);
    EXPECT_EQ(traced_operation(log, false), PMC_S_OK);
    EXPECT_EQ(traced_operation(log, true), PMC_E_TIMEOUT);
    EXPECT_EQ(broken.lines().size(), 5u);
    manager.reset();
}

TEST(LogConfigure, TurnsTracingOnForExistingAndNewSessions) {
    SilenceAfter silence;
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("trace.log");
    IPmcLogSession* snmp = pmc_snmp_log();
    ASSERT_EQ(pmc_log_configure(PMC_LOG_ERROR | PMC_LOG_TRACE, 0, path.c_str()), PMC_S_OK);
    pmc_long status = PMC_E_FAIL;
    IPmcLogSession* later = pmc_log_manager()->get_session("configured-later", nullptr, &status);

    { PmcTraceScope scope(snmp, "A::b"); }
    pmc_socket_log()->write_line(PMC_LOG_ERROR, "socket error %d", 98);
    later->write_line(PMC_LOG_ERROR, "later");
    snmp->write_line(PMC_LOG_INFO, "not enabled");

    EXPECT_EQ(read_file(path), kBlankStamps + "snmp            , Trace, [A::b] enter.\n" +
                                   kBlankStamps + "snmp            , Trace, [A::b] exit.\n" +
                                   kBlankStamps + "socket          , Error, socket error 98\n" +
                                   kBlankStamps + "configured-later, Error, later\n");
}

TEST(LogConfigure, UnopenableFileChangesNothing) {
    SilenceAfter silence;
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("missing/dir/trace.log");
    EXPECT_EQ(pmc_log_configure(PMC_LOG_ALL, 7, path.c_str()), PMC_E_OPEN_FILE);
    EXPECT_EQ(pmc_snmp_log()->get_level_mask(), 0u);
    EXPECT_EQ(pmc_log_manager_impl()->root()->get_level_mask(), 0u);
}

TEST(LogConfigure, StandardOutputWhenNoPathIsGiven) {
    SilenceAfter silence;
    ASSERT_EQ(pmc_log_configure(PMC_LOG_ERROR, 0, nullptr), PMC_S_OK);
    testing::internal::CaptureStdout();
    pmc_snmp_log()->write_line(PMC_LOG_ERROR, "to stdout");
    pmc_snmp_log()->write_line(PMC_LOG_WARN, "not enabled");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, kBlankStamps + "snmp            , Error, to stdout\n");
}

}  // namespace
