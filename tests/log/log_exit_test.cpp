// Lines written by static destructors that run after the manager is gone.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "log/log_files.h"
#include "support/log_capture.h"
#include "log/component_log.h"
#include "log/log_config.h"
#include "log/system_ids.h"

namespace {

constexpr const char* kPathVariable = "PMSNMP_LOG_EXIT_TEST_PATH";
std::string g_late_path;

// Made before the manager, so destroyed after it, like a socket library
// that is unloaded at exit and logs as it goes.
struct LateLogger {
    ~LateLogger() {
        pmc_snmp_log()->write_line(PMC_LOG_ERROR, "written after the manager");
        static PmcLogSlot unfilled("never-before");
        std::fprintf(stderr, "late=%s\n", unfilled.get()->get_name());
    }
};

void log_then_exit() {
    static LateLogger late;
    if (pmc_log_configure(PMC_LOG_ERROR, 0, g_late_path.c_str()) != PMC_S_OK) std::abort();
    pmc_snmp_log()->write_line(PMC_LOG_ERROR, "written before exit");
    std::exit(0);
}

TEST(LogAtExit, FilledSlotsOutliveTheManagerAndNewOnesGetTheNullSession) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: no manager yet
    // The child runs this body again from the start: it takes the parent's
    // path from the environment.
    const char* inherited = std::getenv(kPathVariable);
    g_late_path = inherited != nullptr
                      ? inherited
                      : "/tmp/pmsnmp_log_exit_" + std::to_string(log_test::process_id()) + ".log";
    if (inherited == nullptr) {
        std::remove(g_late_path.c_str());
        log_test::set_variable(kPathVariable, g_late_path.c_str());
    }
    EXPECT_EXIT(log_then_exit(), ::testing::ExitedWithCode(0), "late=null_session");
    const std::string content = read_file(g_late_path);
    std::remove(g_late_path.c_str());
    log_test::clear_variable(kPathVariable);
    EXPECT_NE(content.find("snmp            , Error, written before exit\n"), std::string::npos)
        << content;
    EXPECT_NE(content.find("snmp            , Error, written after the manager\n"),
              std::string::npos)
        << content;
}

}  // namespace
