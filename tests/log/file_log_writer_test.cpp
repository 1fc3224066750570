#include "log/file_log_writer.h"

#include <string>

#include <gtest/gtest.h>
#include <pmsnmp/owned.h>

#include "log/log_files.h"
#include "support/log_capture.h"
#include "log/temp_dir.h"

namespace {

class FileLogWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.ok());
        path_ = dir_.file("trace.log");
        writer_.reset(CPmcFileLogWriter::create("trace"));
        ASSERT_NE(writer_, nullptr);
        ASSERT_EQ(writer_->set_path(path_.c_str()), PMC_S_OK);
    }

    TempDir dir_;
    std::string path_;
    pmc::Owned<CPmcFileLogWriter> writer_;
};

TEST_F(FileLogWriterTest, NamesAndDefaults) {
    EXPECT_STREQ(writer_->get_type_name(), "file");
    EXPECT_STREQ(writer_->get_target(), "trace");
    // Nothing is opened before the first line.
    EXPECT_FALSE(file_exists(path_));
}

TEST_F(FileLogWriterTest, AppendsToExistingContent) {
    {
        std::FILE* file = std::fopen(path_.c_str(), "w");
        std::fputs("earlier\n", file);
        std::fclose(file);
    }
    EXPECT_EQ(writer_->write_line("one"), PMC_S_OK);
    EXPECT_EQ(writer_->write_line("two"), PMC_S_OK);
    EXPECT_EQ(read_file(path_), "earlier\none\ntwo\n");
}

TEST_F(FileLogWriterTest, RotatesToBackupWhenTheLimitWouldBeExceeded) {
    // Each 8-character line costs 10 against the limit.
    writer_->set_max_size(30);
    for (const char* line : {"line-001", "line-002", "line-003"}) {
        ASSERT_EQ(writer_->write_line(line), PMC_S_OK);
    }
    EXPECT_FALSE(file_exists(path_ + ".bak"));
    ASSERT_EQ(writer_->write_line("line-004"), PMC_S_OK);
    EXPECT_EQ(read_file(path_ + ".bak"), "line-001\nline-002\nline-003\n");
    EXPECT_EQ(read_file(path_), "line-004\n");

    // The next rotation replaces the older backup.
    for (const char* line : {"line-005", "line-006", "line-007"}) {
        ASSERT_EQ(writer_->write_line(line), PMC_S_OK);
    }
    EXPECT_EQ(read_file(path_ + ".bak"), "line-004\nline-005\nline-006\n");
    EXPECT_EQ(read_file(path_), "line-007\n");
}

TEST_F(FileLogWriterTest, ExistingFileSizeCountsTowardsTheLimit) {
    {
        // Binary, so that the file has 20 bytes on Windows too.
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        std::fputs("0123456789012345678\n", file);  // 20 bytes
        std::fclose(file);
    }
    writer_->set_max_size(25);
    ASSERT_EQ(writer_->write_line("abc"), PMC_S_OK);  // 20 + 5 fits exactly
    ASSERT_EQ(writer_->write_line("d"), PMC_S_OK);
    EXPECT_EQ(read_file(path_ + ".bak"), "0123456789012345678\nabc\n");
    EXPECT_EQ(read_file(path_), "d\n");
}

TEST_F(FileLogWriterTest, LineThatCanNeverFitIsRefusedAndNothingChanges) {
    writer_->set_max_size(10);
    ASSERT_EQ(writer_->write_line("12345678"), PMC_S_OK);  // costs exactly 10
    EXPECT_EQ(writer_->write_line("123456789"), PMC_E_LINE_TOO_LONG);
    EXPECT_EQ(read_file(path_), "12345678\n");
    EXPECT_FALSE(file_exists(path_ + ".bak"));
}

TEST_F(FileLogWriterTest, UnopenableFileIsReported) {
    std::string missing_dir = dir_.file("no/such/dir/trace.log");
    ASSERT_EQ(writer_->set_path(missing_dir.c_str()), PMC_S_OK);
    EXPECT_EQ(writer_->write_line("x"), PMC_E_OPEN_FILE);

    pmc::Owned<CPmcFileLogWriter> no_path(CPmcFileLogWriter::create("nopath"));
    EXPECT_EQ(no_path->write_line("x"), PMC_E_OPEN_FILE);
    EXPECT_EQ(no_path->set_path(nullptr), PMC_E_INVALID_ARG);
}

TEST_F(FileLogWriterTest, NewPathTakesEffectOnTheNextLine) {
    ASSERT_EQ(writer_->write_line("first"), PMC_S_OK);
    std::string other = dir_.file("other.log");
    ASSERT_EQ(writer_->set_path(other.c_str()), PMC_S_OK);
    ASSERT_EQ(writer_->write_line("second"), PMC_S_OK);
    EXPECT_EQ(read_file(path_), "first\n");
    EXPECT_EQ(read_file(other), "second\n");
}

TEST_F(FileLogWriterTest, DefaultLimitIsFourMebibytes) {
    // A line exactly at the default limit fits; one more character does not.
    std::string line(PMC_LOG_FILE_MAX_SIZE_DEFAULT - 2, 'a');
    EXPECT_EQ(writer_->write_line(line.c_str()), PMC_S_OK);
    line.push_back('a');
    EXPECT_EQ(writer_->write_line(line.c_str()), PMC_E_LINE_TOO_LONG);
}

}  // namespace
