#include "log/log_line.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* PMC_LOG_NO_TIME = "                       ";  // 23 wide
constexpr const char* PMC_LOG_NO_ID = "        ";                   // 8 wide
constexpr const char* PMC_LOG_SEPARATOR = ", ";

// Appends to a bounded line; once full, everything further is dropped.
class LineCursor {
public:
    explicit LineCursor(char* line) : line_(line) { line_[0] = '\0'; }

    void print(const char* format, ...) PMC_LOG_PRINTF(2, 3) {
        va_list args;
        va_start(args, format);
        print_v(format, args);
        va_end(args);
    }

    void print_v(const char* format, va_list args) PMC_LOG_PRINTF(2, 0) {
        if (room() == 0) return;
        int written = std::vsnprintf(line_ + length_, room() + 1, format, args);
        if (written > 0) advance(static_cast<std::size_t>(written));
    }

    void append(const char* text) {
        std::size_t take = std::strlen(text);
        if (take > room()) take = room();
        std::memcpy(line_ + length_, text, take);
        length_ += take;
        line_[length_] = '\0';
    }

    std::size_t room() const { return PMC_LOG_LINE_SIZE - 1 - length_; }
    std::size_t length() const { return length_; }

private:
    // vsnprintf reports what it would have written; keep what it did write.
    void advance(std::size_t written) { length_ += written < room() ? written : room(); }

    char* line_;
    std::size_t length_ = 0;
};

void print_id(LineCursor& cursor, bool shown, pmc_ulong radix, long id) {
    if (!shown) {
        cursor.append(PMC_LOG_NO_ID);
    } else if (radix == PMC_LOG_RADIX_HEX) {
        cursor.print("%08X", static_cast<unsigned int>(id));
    } else {
        cursor.print("%8ld", id);
    }
    cursor.append(PMC_LOG_SEPARATOR);
}

void print_prefix(LineCursor& cursor, const PmcLogLineLayout& layout, const PmcLogStamp& stamp,
                  pmc_long level) {
    if ((layout.flags & PMC_LOG_FLAG_TIME) != 0) {
        cursor.print("%04d/%02d/%02d %02d:%02d:%02d:%03d", stamp.year, stamp.month, stamp.day,
                     stamp.hour, stamp.minute, stamp.second, stamp.millisecond);
    } else {
        cursor.append(PMC_LOG_NO_TIME);
    }
    cursor.append(PMC_LOG_SEPARATOR);
    print_id(cursor, (layout.flags & PMC_LOG_FLAG_PROCESS) != 0, layout.radix, stamp.process_id);
    print_id(cursor, (layout.flags & PMC_LOG_FLAG_THREAD) != 0, layout.radix, stamp.thread_id);
    cursor.print("%-16.16s", layout.name);
    cursor.append(PMC_LOG_SEPARATOR);
    const char* tag = pmc_log_level_tag(level);
    if (tag != nullptr) cursor.append(tag);
}

}  // namespace

const char* pmc_log_level_tag(pmc_long level) {
    switch (level) {
    case PMC_LOG_ERROR: return "Error, ";
    case PMC_LOG_WARN: return "Warn , ";
    case PMC_LOG_INFO: return "Info , ";
    case PMC_LOG_DEBUG: return "Debug, ";
    case PMC_LOG_TRACE: return "Trace, ";
    case PMC_LOG_ALL: return "All  , ";
    default: return nullptr;
    }
}

std::size_t pmc_format_log_line(char* line, const PmcLogLineLayout& layout,
                                const PmcLogStamp& stamp, pmc_long level,
                                const char* format, va_list args) {
    LineCursor cursor(line);
    print_prefix(cursor, layout, stamp, level);
    cursor.append(layout.indentation);
    if (format == nullptr) {
        cursor.append(PMC_LOG_NULL_MESSAGE);
    } else {
        cursor.print_v(format, args);
    }
    return cursor.length();
}
