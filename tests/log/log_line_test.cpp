#include "log/log_line.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "log/system_ids.h"

namespace {

PmcLogStamp fixed_stamp() {
    PmcLogStamp stamp;
    stamp.year = 2026;
    stamp.month = 3;
    stamp.day = 7;
    stamp.hour = 9;
    stamp.minute = 5;
    stamp.second = 4;
    stamp.millisecond = 42;
    stamp.process_id = 4660;  // 0x1234
    stamp.thread_id = 43981;  // 0xABCD
    return stamp;
}

std::string format_line(const PmcLogLineLayout& layout, pmc_long level, const char* format,
                        ...) PMC_LOG_PRINTF(3, 4);

std::string format_line(const PmcLogLineLayout& layout, pmc_long level, const char* format,
                        ...) {
    char line[PMC_LOG_LINE_SIZE];
    std::memset(line, 'x', sizeof line);
    va_list args;
    va_start(args, format);
    std::size_t length = pmc_format_log_line(line, layout, fixed_stamp(), level, format, args);
    va_end(args);
    EXPECT_EQ(length, std::strlen(line));
    return line;
}

PmcLogLineLayout layout_of(const char* name, pmc_ulong flags, pmc_ulong radix = 10,
                           const char* indentation = "") {
    PmcLogLineLayout layout;
    layout.name = name;
    layout.flags = flags;
    layout.radix = radix;
    layout.indentation = indentation;
    return layout;
}

TEST(LogLine, AllFieldsInDecimal) {
    EXPECT_EQ(format_line(layout_of("snmp", 7), PMC_LOG_ERROR, "code %d", -5),
              "2026/03/07 09:05:04:042,     4660,    43981, snmp            , Error, code -5");
}

TEST(LogLine, NoFieldsLeavesBlanksOfTheSameWidth) {
    EXPECT_EQ(format_line(layout_of("snmp", 0), PMC_LOG_INFO, "hello"),
              std::string(23, ' ') + ", " + std::string(8, ' ') + ", " + std::string(8, ' ') +
                  ", snmp            , Info , hello");
}

TEST(LogLine, EachFlagShowsItsOwnField) {
    struct Case {
        pmc_ulong flags;
        const char* prefix;
    } cases[] = {
        {1, "2026/03/07 09:05:04:042,         ,         , "},
        {2, "                       ,     4660,         , "},
        {4, "                       ,         ,    43981, "},
        {6, "                       ,     4660,    43981, "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(format_line(layout_of("n", c.flags), PMC_LOG_DEBUG, "m"),
                  std::string(c.prefix) + "n               , Debug, m")
            << "flags " << c.flags;
    }
}

TEST(LogLine, WideAndNegativeNumbersPrintAsPrintfWould) {
    PmcLogStamp stamp = fixed_stamp();
    stamp.year = 12345;
    stamp.process_id = -5;
    stamp.thread_id = 123456789;
    char line[PMC_LOG_LINE_SIZE];
    va_list none{};
    const char* format = nullptr;
    pmc_format_log_line(line, layout_of("n", 7), stamp, PMC_LOG_ERROR, format, none);
    EXPECT_EQ(std::string(line).substr(0, 47), "12345/03/07 09:05:04:042,       -5, 123456789, ");
    pmc_format_log_line(line, layout_of("n", 6, 16), stamp, PMC_LOG_ERROR, format, none);
    EXPECT_EQ(std::string(line).substr(23, 22), ", FFFFFFFB, 075BCD15, ");
    stamp.month = -1;
    pmc_format_log_line(line, layout_of("n", 1), stamp, PMC_LOG_ERROR, format, none);
    EXPECT_EQ(std::string(line).substr(0, 26), "12345/-1/07 09:05:04:042, ");
}

TEST(LogLine, HexRadixPrintsEightUpperCaseDigits) {
    EXPECT_EQ(format_line(layout_of("socket", 6, 16), PMC_LOG_WARN, "w"),
              std::string(23, ' ') + ", 00001234, 0000ABCD, socket          , Warn , w");
}

TEST(LogLine, NameIsPaddedOrCutToSixteen) {
    EXPECT_EQ(format_line(layout_of("a_very_long_session_name", 0), PMC_LOG_ERROR, "m").substr(45),
              "a_very_long_sess, Error, m");
    EXPECT_EQ(format_line(layout_of("", 0), PMC_LOG_ERROR, "m").substr(45),
              std::string(16, ' ') + ", Error, m");
    EXPECT_EQ(format_line(layout_of("exactly16chars!!", 0), PMC_LOG_ERROR, "m").substr(45),
              "exactly16chars!!, Error, m");
}

TEST(LogLine, LevelTags) {
    struct Case {
        pmc_long level;
        const char* tag;
    } cases[] = {
        {PMC_LOG_ERROR, "Error, "}, {PMC_LOG_WARN, "Warn , "},  {PMC_LOG_INFO, "Info , "},
        {PMC_LOG_DEBUG, "Debug, "}, {PMC_LOG_TRACE, "Trace, "}, {PMC_LOG_ALL, "All  , "},
        {3, ""},                    {0, ""},                    {32, ""},
    };
    const std::string prefix = format_line(layout_of("n", 0), 0, "%s", "");
    for (const Case& c : cases) {
        EXPECT_EQ(format_line(layout_of("n", 0), c.level, "m"), prefix + c.tag + "m")
            << "level " << c.level;
    }
}

TEST(LogLine, IndentationGoesBetweenTagAndMessage) {
    EXPECT_EQ(format_line(layout_of("n", 0, 10, "        "), PMC_LOG_TRACE, "[%s] enter.", "F")
                  .substr(63),
              "Trace,         [F] enter.");
}

TEST(LogLine, MissingFormatPrintsPlaceholder) {
    char line[PMC_LOG_LINE_SIZE];
    va_list none{};
    const char* missing = nullptr;
    pmc_format_log_line(line, layout_of("n", 0), fixed_stamp(), PMC_LOG_ERROR, missing, none);
    EXPECT_EQ(std::string(line).substr(63),
              "Error, (client was about to output null message...)");
}

TEST(LogLine, LongMessageIsCutToTheBound) {
    const std::string message(5000, 'm');
    std::string line = format_line(layout_of("n", 7), PMC_LOG_ERROR, "%s", message.c_str());
    ASSERT_EQ(line.size(), PMC_LOG_LINE_SIZE - 1);
    EXPECT_EQ(line.substr(70), std::string(PMC_LOG_LINE_SIZE - 1 - 70, 'm'));
}

TEST(LogLine, IndentationAloneIsCutToTheBound) {
    const std::string indentation(3000, ' ');
    std::string line =
        format_line(layout_of("n", 0, 10, indentation.c_str()), PMC_LOG_ERROR, "lost");
    EXPECT_EQ(line.size(), PMC_LOG_LINE_SIZE - 1);
    EXPECT_EQ(line.find("lost"), std::string::npos);
}

TEST(LogLine, StampOfNowIsPlausible) {
    PmcLogStamp stamp = pmc_log_stamp_now();
    EXPECT_GE(stamp.year, 2020);
    EXPECT_TRUE(stamp.month >= 1 && stamp.month <= 12);
    EXPECT_TRUE(stamp.millisecond >= 0 && stamp.millisecond < 1000);
    EXPECT_EQ(stamp.process_id, log_test::process_id());
    EXPECT_EQ(stamp.thread_id, log_test::thread_id());
}

}  // namespace
