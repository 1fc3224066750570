#include "render/safe_text.h"

#include <gtest/gtest.h>

namespace {

TEST(SafeText, ControlsAndBidiNeverPassAndTheRestIsUtf8) {
    const struct {
        std::string octets;
        std::string safe;
    } cases[] = {
        {"Tray\x1b[2J 1", "Tray?[2J 1"},
        {std::string("Ready  \0\0", 9), "Ready"},
        {"Caf\xc3\xa9", "Caf\xc3\xa9"},                    // UTF-8 passes
        {"Bl\xe4tter", "Bl\xc3\xa4tter"},                  // Latin-1 read as such
        {"A\x9b" "31mB", "A?31mB"},                        // stray C1 octet (CSI)
        {"A\xc2\x9b" "31mB", "A?31mB"},                    // U+009B in UTF-8
        {"evil\xe2\x80\xaetxt.exe", "evil?txt.exe"},       // U+202E
        {"\xc0\xaf\xed\xa0\x80", "\xc3\x80\xc2\xaf\xc3\xad\xc2\xa0?"},  // overlong, surrogate: Latin-1
    };
    for (const auto& c : cases) EXPECT_EQ(pmtool::safe_text(c.octets), c.safe) << c.octets;
}

TEST(SafeText, CutsAndPadsByCharacters) {
    const std::string name = "\xc3\x9c" "ber-F\xc3\xbcller Gr\xc3\xb6\xc3\x9f" "e";  // 17 characters
    EXPECT_EQ(pmtool::text_width(name), 17u);
    EXPECT_EQ(pmtool::cut_text(name, 8), "\xc3\x9c" "ber-...");
    EXPECT_EQ(pmtool::cut_text(name, 17), name);
    EXPECT_EQ(pmtool::pad_text("\xc3\xa4\xc3\xb6", 4) + pmtool::pad_text(name, 4), "\xc3\xa4\xc3\xb6  " + name + " ");
    const std::string wide = "\xe7\xb4\x99\xe7\xb4\x99\xe7\xb4\x99";  // three wide characters
    EXPECT_EQ(pmtool::text_width(wide) * 100 + pmtool::text_width(pmtool::cut_text(wide, 5)), 605u);
}

}  // namespace
