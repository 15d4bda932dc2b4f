// Flights as links to the page: the desktop reads what the page makes (zlib's
// deflate in base64url), makes the same, and refuses damaged or foreign
// links, or ones that would unpack to more than a flight file may hold.
#include <gtest/gtest.h>

#include <string>

#include "flightfile/FlightFile.h"
#include "platform/common/ShareLink.h"

namespace {

TEST(ShareLink, ReadsWhatThePageMakesAndMakesWhatItReads) {
    // Made outside this program: Python's zlib.compress and urlsafe base64,
    // its padding taken off as the page's are.
    std::string text, error;
    ASSERT_TRUE(ReadShareLink("https://example.org/avelune/#flight=eJxLLEvLyUzPKFEw5AIAGbUDsQ", text, error)) << error;
    EXPECT_EQ(text, "avflight 1\n");
    // Any text, round and round; the page's address kept, an old hash dropped.
    for (const std::string& t : {std::string("avflight 1\n"), std::string(5000, 'x'), std::string("\xff\x00\x01", 3)}) {
        const std::string link = MakeShareLink(t, "file:///site/index.html#flight=old");
        EXPECT_EQ(link.rfind("file:///site/index.html#flight=", 0), 0u) << link;
        EXPECT_TRUE(IsShareLink(link));
        EXPECT_EQ(link.substr(link.find("#flight=") + 8).find_first_of("+/="), std::string::npos) << "base64url without padding";
        std::string back;
        ASSERT_TRUE(ReadShareLink(link, back, error)) << error;
        EXPECT_EQ(back, t);
    }
}

TEST(ShareLink, DamagedForeignAndOverlongLinksAreRefused) {
    // A run of zeros far larger than any flight file deflates to a short link.
    const std::string bomb = MakeShareLink(std::string(flightfile::kMaxFileBytes + 1024, '\0'), "p");
    ASSERT_LT(bomb.size(), 200000u);
    struct Case {
        std::string link;
        const char* why;
    };
    const Case cases[] = {
        {"https://example.org/#flight=", "carries no flight"},
        {"https://example.org/#flight=abc$def", "carries no flight"},
        {"https://example.org/#flight=eJxLLEvLyUzPKFEw5AI", "damaged"},        // cut short
        {"https://example.org/#flight=aGVsbG8gd29ybGQ", "damaged"},            // base64 of plain text
        {"https://example.org/#flight=A", "carries no flight"},               // a lone sixth of a byte
        {bomb, "more than a flight file"},
    };
    for (const Case& c : cases) {
        std::string text, error;
        EXPECT_FALSE(ReadShareLink(c.link, text, error)) << c.link.substr(0, 60);
        EXPECT_NE(error.find(c.why), std::string::npos) << c.link.substr(0, 60) << ": " << error;
    }
}

}  // namespace
