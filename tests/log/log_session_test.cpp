#include "log/log_session_impl.h"

#include <string>

#include <gtest/gtest.h>
#include <pmsnmp/owned.h>

#include "log/log_files.h"
#include "support/log_capture.h"
#include "log/log_line.h"
#include "log/system_ids.h"

namespace {

// Prefix width with flags 0 up to the level tag.
constexpr std::size_t kTagColumn = 63;

// Passes any format, a missing one included, past the compiler's checks.
pmc_long write_without_format_check(IPmcLogSession* session, pmc_long level, const char* format,
                                    ...) {
    va_list args;
    va_start(args, format);
    pmc_long status = session->write_line_v(level, format, args);
    va_end(args);
    return status;
}

class LogSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        session_.reset(CPmcLogSession::create("unit"));
        ASSERT_NE(session_, nullptr);
        ASSERT_EQ(session_->add_writer(&capture_), PMC_S_OK);
        session_->set_line_flags(0);
    }

    // The text after the level tag.
    std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (const std::string& line : capture_.lines()) out.push_back(line.substr(kTagColumn + 7));
        return out;
    }

    LogCapture capture_;
    pmc::Owned<CPmcLogSession> session_;
};

TEST_F(LogSessionTest, DefaultsAreSilentWithAllFieldsInDecimal) {
    pmc::Owned<CPmcLogSession> fresh(CPmcLogSession::create("fresh"));
    EXPECT_STREQ(fresh->get_name(), "fresh");
    EXPECT_EQ(fresh->get_level_mask(), 0u);
    EXPECT_EQ(fresh->get_line_flags(), 7u);
    EXPECT_EQ(fresh->get_radix(), 10u);
    EXPECT_EQ(fresh->get_indentation_depth(), 0u);

    for (pmc_long level : {PMC_LOG_ERROR, PMC_LOG_WARN, PMC_LOG_INFO, PMC_LOG_DEBUG,
                           PMC_LOG_TRACE, PMC_LOG_ALL}) {
        EXPECT_EQ(session_->write_line(level, "never %d", 1), PMC_S_OK);
    }
    EXPECT_TRUE(capture_.lines().empty());
}

TEST_F(LogSessionTest, MaskSelectsLevels) {
    session_->set_level_mask(PMC_LOG_ERROR | PMC_LOG_TRACE);
    session_->write_line(PMC_LOG_ERROR, "e");
    session_->write_line(PMC_LOG_WARN, "w");
    session_->write_line(PMC_LOG_INFO, "i");
    session_->write_line(PMC_LOG_DEBUG, "d");
    session_->write_line(PMC_LOG_TRACE, "t");
    // A level with any enabled bit passes.
    session_->write_line(PMC_LOG_ALL, "a");
    EXPECT_EQ(messages(), (std::vector<std::string>{"e", "t", "a"}));
}

TEST_F(LogSessionTest, LineCarriesRealIdentifiers) {
    session_->set_level_mask(PMC_LOG_ALL);
    session_->set_line_flags(PMC_LOG_FLAGS_DEFAULT);
    session_->write_line(PMC_LOG_INFO, "n=%d", 3);
    session_->set_radix(16);
    session_->write_line(PMC_LOG_INFO, "hex");
    std::vector<std::string> lines = capture_.lines();
    ASSERT_EQ(lines.size(), 2u);

    char ids[64];
    std::snprintf(ids, sizeof ids, ", %8ld, %8ld, unit            , Info , n=3", log_test::process_id(),
                  log_test::thread_id());
    EXPECT_EQ(lines[0].substr(23), ids);
    std::snprintf(ids, sizeof ids, ", %08X, %08X, unit            , Info , hex",
                  static_cast<unsigned>(log_test::process_id()),
                  static_cast<unsigned>(log_test::thread_id()));
    EXPECT_EQ(lines[1].substr(23), ids);
    // 2026/12/08 16:40:00:123
    EXPECT_EQ(lines[0][4], '/');
    EXPECT_EQ(lines[0][10], ' ');
    EXPECT_EQ(lines[0][19], ':');
}

TEST_F(LogSessionTest, RadixAcceptsOnlyTenAndSixteen) {
    EXPECT_EQ(session_->set_radix(16), PMC_S_OK);
    EXPECT_EQ(session_->get_radix(), 16u);
    for (pmc_ulong radix : {0u, 2u, 8u, 12u, 15u, 17u}) {
        EXPECT_EQ(session_->set_radix(radix), PMC_E_INVALID_ARG) << radix;
        EXPECT_EQ(session_->get_radix(), 16u);
    }
    EXPECT_EQ(session_->set_radix(10), PMC_S_OK);
    EXPECT_EQ(session_->get_radix(), 10u);
}

TEST_F(LogSessionTest, IndentationIsFourSpacesPerLevel) {
    session_->set_level_mask(PMC_LOG_ALL);
    session_->set_indentation_depth(2);
    EXPECT_EQ(session_->get_indentation_depth(), 2u);
    session_->write_line(PMC_LOG_DEBUG, "two");
    session_->set_indentation_depth(0);
    session_->write_line(PMC_LOG_DEBUG, "none");
    EXPECT_EQ(messages(), (std::vector<std::string>{"        two", "none"}));
}

TEST_F(LogSessionTest, HugeIndentationStaysWithinTheLine) {
    session_->set_level_mask(PMC_LOG_ALL);
    EXPECT_EQ(session_->set_indentation_depth(0xFFFFFFFFu), PMC_S_OK);
    EXPECT_EQ(session_->get_indentation_depth(), 0xFFFFFFFFu);
    session_->write_line(PMC_LOG_DEBUG, "lost");
    ASSERT_EQ(capture_.lines().size(), 1u);
    EXPECT_EQ(capture_.lines()[0].size(), PMC_LOG_LINE_SIZE - 1);
}

TEST_F(LogSessionTest, MissingFormatWritesPlaceholder) {
    session_->set_level_mask(PMC_LOG_ALL);
    write_without_format_check(session_.get(), PMC_LOG_WARN, nullptr);
    EXPECT_EQ(messages(), (std::vector<std::string>{PMC_LOG_NULL_MESSAGE}));
}

TEST_F(LogSessionTest, EveryWriterGetsTheLineAndTheLastFailureIsReported) {
    LogCapture failing_open(PMC_E_OPEN_FILE);
    LogCapture fine;
    LogCapture failing_long(PMC_E_LINE_TOO_LONG);
    session_->add_writer(&failing_open);
    session_->add_writer(&fine);
    session_->set_level_mask(PMC_LOG_ALL);
    EXPECT_EQ(session_->write_line(PMC_LOG_ERROR, "x"), PMC_E_OPEN_FILE);
    session_->add_writer(&failing_long);
    EXPECT_EQ(session_->write_line(PMC_LOG_ERROR, "y"), PMC_E_LINE_TOO_LONG);
    EXPECT_EQ(fine.lines().size(), 2u);
    EXPECT_EQ(failing_open.lines().size(), 2u);
    EXPECT_EQ(failing_long.lines().size(), 1u);
    EXPECT_EQ(capture_.lines().size(), 2u);
    session_->clear_writers();  // before the local writers go
}

TEST_F(LogSessionTest, WritersAreCountedAndReleasedWithTheSession) {
    LogCapture writer;
    {
        pmc::Owned<CPmcLogSession> session(CPmcLogSession::create("counted"));
        EXPECT_EQ(session->add_writer(&writer), PMC_S_OK);
        EXPECT_EQ(writer.refs(), 2u);
        EXPECT_EQ(session->add_writer(nullptr), PMC_E_INVALID_ARG);
    }
    EXPECT_EQ(writer.refs(), 1u);
}

TEST_F(LogSessionTest, ClearWritersStopsOutput) {
    session_->set_level_mask(PMC_LOG_ALL);
    session_->clear_writers();
    EXPECT_EQ(capture_.refs(), 1u);
    EXPECT_EQ(session_->write_line(PMC_LOG_ERROR, "gone"), PMC_S_OK);
    EXPECT_TRUE(capture_.lines().empty());
}

TEST_F(LogSessionTest, ReservedOperationIsNotSupported) {
    EXPECT_EQ(session_->reserved_operation(), PMC_E_NOT_FOUND);
}

TEST_F(LogSessionTest, VaListFormWritesTheSameLine) {
    session_->set_level_mask(PMC_LOG_ALL);
    struct Forward {
        static pmc_long call(IPmcLogSession* session, const char* format, ...)
            PMC_LOG_PRINTF(2, 3) {
            va_list args;
            va_start(args, format);
            pmc_long status = session->write_line_v(PMC_LOG_INFO, format, args);
            va_end(args);
            return status;
        }
    };
    EXPECT_EQ(Forward::call(session_.get(), "%s-%d", "v", 7), PMC_S_OK);
    EXPECT_EQ(messages(), (std::vector<std::string>{"v-7"}));
}

TEST(LogRootSession, AddSessionCopiesSettingsAndWriters) {
    LogCapture writer;  // outlives the sessions that count it
    pmc::Owned<CPmcLogRootSession> root(CPmcLogRootSession::create());
    EXPECT_STREQ(root->get_name(), "All");
    root->add_writer(&writer);
    root->set_level_mask(PMC_LOG_ERROR | PMC_LOG_WARN);
    root->set_line_flags(PMC_LOG_FLAG_THREAD);
    root->set_radix(16);
    root->set_indentation_depth(3);

    pmc::Owned<CPmcLogSession> child(CPmcLogSession::create("child"));
    ASSERT_EQ(root->add_session(child.get()), PMC_S_OK);
    EXPECT_EQ(child->get_level_mask(), static_cast<pmc_ulong>(PMC_LOG_ERROR | PMC_LOG_WARN));
    EXPECT_EQ(child->get_line_flags(), PMC_LOG_FLAG_THREAD);
    EXPECT_EQ(child->get_radix(), 16u);
    EXPECT_EQ(child->get_indentation_depth(), 3u);
    child->write_line(PMC_LOG_WARN, "copied");
    ASSERT_EQ(writer.lines().size(), 1u);
    EXPECT_NE(writer.lines()[0].find("child           , Warn ,             copied"),
              std::string::npos);
    EXPECT_EQ(root->add_session(nullptr), PMC_E_INVALID_ARG);
}

}  // namespace
