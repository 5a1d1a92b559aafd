// Text from the user's files as messages show it.
#include <gtest/gtest.h>

#include <cerrno>

#include "common/message_text.hpp"

namespace tidmor {
namespace {

TEST(QuoteText, PrintableTextStandsAsItIs) {
    EXPECT_EQ(quote_text("beach.dat"), "\"beach.dat\"");
    EXPECT_EQ(quote_text(""), "\"\"");
    EXPECT_EQ(quote_text("a\\b\"c"), "\"a\\\\b\\\"c\"");
}

TEST(QuoteText, NonPrintingBytesAreEscaped) {
    EXPECT_EQ(quote_text(std::string("1\0" "2", 3)), "\"1\\x002\"");
    EXPECT_EQ(quote_text("\xEF\xBB\xBF" "0.5"), "\"\\xEF\\xBB\\xBF0.5\"");
    EXPECT_EQ(quote_text("\t\r\x7F\xFF"), "\"\\x09\\x0D\\x7F\\xFF\"");
}

TEST(QuoteText, LongTextIsCutAfterFortyCharacters) {
    EXPECT_EQ(quote_text(std::string(40, '7')), "\"" + std::string(40, '7') + "\"");
    EXPECT_EQ(quote_text(std::string(41, '7')), "\"" + std::string(40, '7') + "\"... (41 characters)");
    // Escapes do not count against the cut: forty bytes of the input are shown.
    std::string nuls;
    for (int k = 0; k < 40; ++k) nuls += "\\x00";
    EXPECT_EQ(quote_text(std::string(200000, '\0')), "\"" + nuls + "\"... (200000 characters)");
}

TEST(SystemReason, NamesTheReasonOrNothing) {
    EXPECT_EQ(system_reason(0), "");
    EXPECT_EQ(system_reason(ENOSPC), ": No space left on device");
    EXPECT_EQ(system_reason(EISDIR), ": Is a directory");
}

}  // namespace
}  // namespace tidmor
