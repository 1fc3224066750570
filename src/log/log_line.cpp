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

    // value right-aligned in at least width characters, like "%0*lu" or
    // "%*lX"; printf is several times slower for these few digits.
    void number(unsigned long value, unsigned base, int width, char pad) {
        static const char kDigits[] = "0123456789ABCDEF";
        char text[40];
        char* end = text + sizeof text - 1;
        char* start = end;
        *end = '\0';
        do {
            *--start = kDigits[value % base];
            value /= base;
        } while (value != 0);
        while (end - start < width && start > text) *--start = pad;
        append(start);
    }

    // text cut or padded with spaces to exactly width characters ("%-W.Ws").
    void fixed(const char* text, std::size_t width) {
        std::size_t take = strnlen(text, width);
        char field[64];
        if (width >= sizeof field) width = sizeof field - 1;
        if (take > width) take = width;
        std::memcpy(field, text, take);
        std::memset(field + take, ' ', width - take);
        field[width] = '\0';
        append(field);
    }

    std::size_t room() const { return PMC_LOG_LINE_SIZE - 1 - length_; }
    std::size_t length() const { return length_; }

private:
    // vsnprintf reports what it would have written; keep what it did write.
    void advance(std::size_t written) { length_ += written < room() ? written : room(); }

    char* line_;
    std::size_t length_ = 0;
};

constexpr int PMC_LOG_ID_WIDTH = 8;
constexpr std::size_t PMC_LOG_NAME_WIDTH = 16;

void print_id(LineCursor& cursor, bool shown, pmc_ulong radix, long id) {
    if (!shown) {
        cursor.append(PMC_LOG_NO_ID);
    } else if (radix == PMC_LOG_RADIX_HEX) {
        cursor.number(static_cast<unsigned int>(id), 16, PMC_LOG_ID_WIDTH, '0');  // "%08X"
    } else if (id >= 0) {
        cursor.number(static_cast<unsigned long>(id), 10, PMC_LOG_ID_WIDTH, ' ');  // "%8d"
    } else {
        cursor.print("%8ld", id);
    }
    cursor.append(PMC_LOG_SEPARATOR);
}

bool stamp_in_range(const PmcLogStamp& stamp) {
    return stamp.year >= 0 && stamp.month >= 0 && stamp.day >= 0 && stamp.hour >= 0 &&
           stamp.minute >= 0 && stamp.second >= 0 && stamp.millisecond >= 0;
}

// "%04d/%02d/%02d %02d:%02d:%02d:%03d"
void print_time(LineCursor& cursor, const PmcLogStamp& stamp) {
    if (!stamp_in_range(stamp)) {
        cursor.print("%04d/%02d/%02d %02d:%02d:%02d:%03d", stamp.year, stamp.month, stamp.day,
                     stamp.hour, stamp.minute, stamp.second, stamp.millisecond);
        return;
    }
    auto field = [&cursor](int value, int width, const char* after) {
        cursor.number(static_cast<unsigned long>(value), 10, width, '0');
        cursor.append(after);
    };
    field(stamp.year, 4, "/");
    field(stamp.month, 2, "/");
    field(stamp.day, 2, " ");
    field(stamp.hour, 2, ":");
    field(stamp.minute, 2, ":");
    field(stamp.second, 2, ":");
    field(stamp.millisecond, 3, "");
}

void print_prefix(LineCursor& cursor, const PmcLogLineLayout& layout, const PmcLogStamp& stamp,
                  pmc_long level) {
    if ((layout.flags & PMC_LOG_FLAG_TIME) != 0) {
        print_time(cursor, stamp);
    } else {
        cursor.append(PMC_LOG_NO_TIME);
    }
    cursor.append(PMC_LOG_SEPARATOR);
    print_id(cursor, (layout.flags & PMC_LOG_FLAG_PROCESS) != 0, layout.radix, stamp.process_id);
    print_id(cursor, (layout.flags & PMC_LOG_FLAG_THREAD) != 0, layout.radix, stamp.thread_id);
    cursor.fixed(layout.name, PMC_LOG_NAME_WIDTH);  // "%-16.16s"
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
