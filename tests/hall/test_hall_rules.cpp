// What the hall decides before any replay: names, bodies, the rate limit,
// and the files its page folder lets out.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "hall/pages.h"
#include "hall/rate_limit.h"
#include "hall/submission.h"

namespace fs = std::filesystem;

TEST(HallName, PrintableUtf8OfOneTo24Characters)
{
    for (const char* good : {"Ann", "Zoë", "日本語の名前", "🔥 x", "Bob'); DROP TABLE x;--", "<b>&amp;",
                             "aaaaaaaaaaaaaaaaaaaaaaaa", " a "})
        EXPECT_EQ(CheckName(good), "") << good;
    const std::pair<std::string, const char*> bad[] = {
        {"", "empty"}, {"   ", "empty"}, {std::string(25, 'a'), "longer than 24"},
        {std::string(8, '\0'), "control"}, {"a\tb", "control"}, {"a\x7f", "control"}, {"\xc2\x85", "control"},
        {"a\xe2\x80\xae" "b", "invisible"}, {"\xe2\x80\x8b", "invisible"}, {"\xef\xbb\xbf", "invisible"},
        {"\xc0\xaf", "UTF-8"}, {"\xe0\x80\xaf", "UTF-8"}, {"\xf0\x80\x80\xaf", "UTF-8"}, {"\xed\xa0\x80", "UTF-8"},
        {"\xf4\x90\x80\x80", "UTF-8"}, {"\xff", "UTF-8"}, {"\x80", "UTF-8"}, {"\xe6\x97", "UTF-8"}};
    for (const auto& [name, why] : bad)
        EXPECT_NE(CheckName(name).find(why), std::string::npos) << "\"" << name << "\": " << CheckName(name);
}

TEST(HallBody, OneFlatObjectOfStrings)
{
    Submission submission;
    std::string error;
    ASSERT_TRUE(ReadSubmission(R"({"name":"A\u00e9","round":"xyz","page":"1.0"})", &submission, &error)) << error;
    EXPECT_TRUE(submission.name == "A\xc3\xa9" && submission.sent == "xyz" && submission.link);
    ASSERT_TRUE(ReadSubmission(R"({"recording":"0 size\n","name":"B"})", &submission, &error)) << error;
    EXPECT_TRUE(submission.sent == "0 size\n" && !submission.link);
    const std::pair<std::string, const char*> bad[] = {
        {"", "not JSON"}, {"{", "not JSON"}, {"\"x\"", "not a JSON object"}, {"[]", "not a JSON object"},
        {R"({"name":1,"round":"x"})", "not a string"}, {R"({"name":"a","round":{"x":"y"}})", "nests"},
        {R"({"name":"a","round":["x"]})", "not a string"}, {R"({"name":"a","round":"x","round":"y"})", "twice"},
        {R"({"name":"a","round":"x","recording":"y"})", "one of"}, {R"({"name":"a"})", "one of"},
        {R"({"round":"x"})", "no \"name\""}, {"{\"name\":\"\xc0\xaf\",\"round\":\"x\"}", "not JSON"},
        {R"({"name":"\ud800","round":"x"})", "not JSON"}, {R"({"name":"a","round":"x"} {})", "not JSON"}};
    for (const auto& [body, why] : bad) {
        EXPECT_FALSE(ReadSubmission(body, &submission, &error)) << body;
        EXPECT_NE(error.find(why), std::string::npos) << body << ": " << error;
    }
}

TEST(HallRate, ATokenBucketForEachAddress)
{
    RateLimit rate(3, 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rate.Take("a", 100), 0);
    EXPECT_EQ(rate.Take("a", 100), 20) << "three a minute: the next token in 20 s";
    EXPECT_EQ(rate.Take("a", 110), 10);
    EXPECT_EQ(rate.Take("b", 110), 0) << "each address has its own bucket";
    EXPECT_EQ(rate.Take("a", 120), 0);
    EXPECT_EQ(rate.Take("c", 120), 0) << "two addresses at most: the fuller bucket is given up";
    EXPECT_EQ(rate.Take("a", 120), 20) << "the emptier is kept";
}

TEST(HallPages, NothingOutsideThePageFolder)
{
    fs::path top = fs::temp_directory_path() / ("hall-pages-" + std::to_string(getpid()));
    fs::remove_all(top);
    fs::create_directories(top / "page/sub");
    for (const char* name : {"page/index.html", "page/sub/index.html", "page/.hidden", "page/a.wasm", "secret"})
        std::ofstream(top / name) << name;
    fs::create_symlink(top / "secret", top / "page/out");
    std::string root = fs::canonical(top / "page").string();
    PageFile file;
    const std::pair<const char*, const char*> found[] = {
        {"/", "text/html; charset=utf-8"}, {"/sub/", "text/html; charset=utf-8"}, {"/a.wasm", "application/wasm"}};
    for (const auto& [path, type] : found)
        EXPECT_TRUE(ReadPageFile(root, path, &file) && file.type == type) << path;
    for (const char* path : {"/../secret", "/sub/../../secret", "/out", "/.hidden", "/sub", "/a.wasm/", "//a.wasm",
                             "/missing", "/sub\\..\\..\\secret"})
        EXPECT_FALSE(ReadPageFile(root, path, &file)) << path;
    fs::remove_all(top);
}
