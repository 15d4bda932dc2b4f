// The one reader, writer and quoting rule every file of the program goes
// through: a file's text is shown short and harmless, only regular files are
// read, and a name that must be new is never written over.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/Files.h"
#include "tests/TestAtlas.h"

namespace {

namespace fs = std::filesystem;

TEST(Files, QuotingShowsAFilesTextShortAndHarmless) {
    const struct {
        std::string text, quoted;
    } cases[] = {
        {"plain", "'plain'"},
        {"\x1b]0;x\a", "'\\x1b]0;x\\x07'"},
        {"it's a\\b", "'it\\x27s a\\x5cb'"},
        {"caf\xc3\xa9 \xe2\x9c\x88", "'caf\xc3\xa9 \xe2\x9c\x88'"},      // UTF-8 stays
        {"\xc3(\xff\xc0\xaf", "'\\xc3(\\xff\\xc0\\xaf'"},                 // not UTF-8, overlong
        {"\xc2\x9b" "31m", "'\\xc2\\x9b31m'"},                            // a C1 control
        {"\xed\xa0\x80", "'\\xed\\xa0\\x80'"},                             // a surrogate
        {std::string(41, 'a'), "'" + std::string(40, 'a') + "'..."},
        {std::string(1000000, '0'), "'" + std::string(40, '0') + "'..."},
    };
    for (const auto& c : cases) EXPECT_EQ(files::Quote(c.text), c.quoted) << c.quoted;
    EXPECT_EQ(files::Quote("caf\xc3\xa9", files::Utf8::kEscaped), "'caf\\xc3\\xa9'");
}

TEST(Files, LinesSplitAtSpacesAndTabsAndNameTheirFirstControlByte) {
    const struct {
        std::string line;
        std::vector<std::string_view> words;
        size_t control;
    } cases[] = {
        {"", {}, std::string::npos},
        {" \t ", {}, std::string::npos},
        {"press 10\t20", {"press", "10", "20"}, std::string::npos},
        {"\ttick  3 ", {"tick", "3"}, std::string::npos},
        {"a\rb", {"a\rb"}, 1},
        {"ok \x7f", {"ok", "\x7f"}, 3},
        {std::string("x\0y", 3), {std::string_view("x\0y", 3)}, 1},
        {"caf\xc3\xa9", {"caf\xc3\xa9"}, std::string::npos},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files::Words(c.line), c.words) << files::Quote(c.line);
        EXPECT_EQ(files::FirstControl(c.line), c.control) << files::Quote(c.line);
    }
}

TEST(Files, AWordIsAWholeNumberOnlyWhollyAndWithinItsRange) {
    const struct {
        const char* word;
        bool read;
        long long value;
    } cases[] = {
        {"42", true, 42},   {"-7", true, -7},  {"+3", true, 3},   {"100", true, 100}, {"101", false, 0},
        {"-11", false, 0},  {"", false, 0},    {"4x", false, 0},  {"0x10", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const auto& c : cases) {
        long long v = 0;
        EXPECT_EQ(files::ParseInteger(c.word, -10, 100, v), c.read) << c.word;
        EXPECT_EQ(v, c.value) << c.word;
    }
}

TEST(Files, ReadingTakesRegularFilesWithinTheirCap) {
    const std::string dir = MakeTempDir();
    std::ofstream(dir + "/small") << "12345";
    mkfifo((dir + "/pipe").c_str(), 0644);
    const struct {
        std::string path;
        files::ReadStatus status;
        std::string reason;
    } cases[] = {
        {dir + "/small", files::ReadStatus::kRead, ""},
        {dir + "/none", files::ReadStatus::kMissing, "no such file"},
        {dir, files::ReadStatus::kRefused, "it is a directory"},
        {dir + "/pipe", files::ReadStatus::kRefused, "it is a named pipe"},
        {"/dev/zero", files::ReadStatus::kRefused, "it is a character device"},
    };
    for (const auto& c : cases) {
        std::string bytes, reason;
        EXPECT_EQ(files::ReadFile(c.path, "a test file", 5, bytes, reason), c.status) << c.path;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.path << ": " << reason;
    }
    std::string bytes, reason;
    EXPECT_EQ(files::ReadFile(dir + "/small", "a test file", 4, bytes, reason), files::ReadStatus::kRefused);
    EXPECT_EQ(reason, "it is 5 bytes, more than a test file may be (at most 4 bytes)");
    fs::remove_all(dir);
}

TEST(Files, ANameThatMustBeNewIsNeverWrittenOver) {
    const std::string dir = MakeTempDir();
    std::string reason;
    bool taken = true;
    ASSERT_TRUE(files::WriteFile(dir + "/a", "one", 3, files::WriteMode::kNew, reason, &taken)) << reason;
    EXPECT_FALSE(taken);
    fs::create_symlink("nowhere", dir + "/dangling");
    for (const char* name : {"a", "dangling"}) {
        EXPECT_FALSE(files::WriteFile(dir + "/" + name, "two", 3, files::WriteMode::kNew, reason, &taken)) << name;
        EXPECT_TRUE(taken) << name;
    }
    std::ifstream in(dir + "/a");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "one");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2) << "no temporary file is left";
    fs::remove_all(dir);
}

}  // namespace
