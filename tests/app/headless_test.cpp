// The program binary run headless with a script: what a user and a support
// engineer see of start-up, validation and shutdown.
#include <sys/stat.h>

#include <filesystem>

#include "support/fixture.h"

namespace {

TEST(Headless, AFailedCheckKeepsTheWindowOpenAndExitClosesTheDevice) {
    auto r = test::RunPyrelle(test::FreshDir("headless-900"),
                              "type 1048 900\nkey enter\nclick 1\nexpect 1048 900\nclick 2\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("box: Please enter an integer between -100 and 800.\n"), std::string::npos) << r.err;
    auto lines = r.TraceLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "0 OPEN ok");
    EXPECT_NE(lines.back().find("CLOSE"), std::string::npos);
}

TEST(Headless, AnExpectationThatFailsEndsWithStatus1AndSaysWhy) {
    auto r = test::RunPyrelle(test::FreshDir("headless-expect"), "# comment\n\nexpect 1019 381\nclick 2\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("line 3"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("381"), std::string::npos);
    EXPECT_NE(r.err.find("380"), std::string::npos);
    EXPECT_NE(r.trace.find("CLOSE"), std::string::npos) << "the program still ends as by Exit";
}

TEST(Headless, BadScriptsAndOptionsAreRefusedBeforeAnythingRuns) {
    struct Case {
        const char* script;
        const char* args;
        const char* says;
    } cases[] = {
        {"click 2\nfrobnicate\n", "", "line 2"},
        {"click 4242\n", "", "line 1"},
        {"wait soon\n", "", "line 1"},
        {"wait -5\n", "", "line 1"},
        {"key space\n", "", "line 1"},
        {"click 2\n", "--speed fast", "--speed"},
        {"click 2\n", "--bogus", "--bogus"},
        // Files that are no files, checked before anything starts.
        {"click 2\n", "--port replay:adir", "cannot read it: it is a folder"},
        {"click 2\n", "--port replay:/dev/zero", "cannot read it: it is a device, not a file"},
        {"click 2\n", "--port replay:fifo", "cannot read it: it is a pipe, not a file"},
        {"click 2\n", "--script adir", "cannot read the script 'adir': it is a folder"},
        {"click 2\n", "--script fifo", "cannot read the script 'fifo': it is a pipe, not a file"},
        {"click 2\n", "--script missing", "cannot read the script 'missing': No such file or directory"},
        {"click 2\n", "--trace adir", "cannot write the trace 'adir': Is a directory"},
        // Numbers out of any sane range.
        {"click 2\n", "--speed 1e300", "--speed takes a factor from 0.01 to 100000, not '1e300'"},
        {"click 2\n", "--speed 0.001", "--speed takes a factor from 0.01 to 100000"},
        {"click 2\n", "--max-temp 20000", "--max-temp: takes degrees from 0 to 9999.9"},
        {"click 2\n", "--runaway-guard 10:2", "--runaway-guard: takes SECONDS:DEGREES"},
        // What was typed is quoted short, control bytes escaped.
        {"\x01\x02\xff\n", "", "unknown command '\\x01\\x02\\xFF'"},
        {"click 2\n", "--port sim,flip=0.5x", "bad fault \"flip=0.5x\""},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string dir = test::FreshDir("headless-bad" + std::to_string(n++));
        std::filesystem::create_directory(dir + "/adir");
        ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
        auto r = test::RunPyrelle(dir, c.script, c.args);
        EXPECT_EQ(r.status, 2) << c.script << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.trace.find("OPEN"), std::string::npos) << "nothing ran";
    }
}

TEST(Headless, ALongOrRawTextIsQuotedShortAndAByteOrderMarkIsNoCommand) {
    const std::string longNumber(200000, '7');
    auto r = test::RunPyrelle(test::FreshDir("headless-long"), "wait " + longNumber + "x\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_LT(r.err.size(), 300u) << "the whole field echoed";
    EXPECT_NE(r.err.find("'wait' needs a number, not '7777"), std::string::npos) << r.err.substr(0, 300);
    r = test::RunPyrelle(test::FreshDir("headless-bom"),
                         "\xEF\xBB\xBF"
                         "expect 1019 380\n");
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(Headless, AControlTheActiveWindowLacksIsReportedWithItsLine) {
    // 1019 belongs to the main window, not to the About box open at line 2.
    auto r = test::RunPyrelle(test::FreshDir("headless-missing"), "syscommand 16\ntype 1019 5\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
}

TEST(Headless, WithoutADeviceStartUpSaysSoOnStandardOutputAndGoesOn) {
    // The driver's service runs but no device answers: its box comes first.
    auto r = test::RunPyrelle(test::FreshDir("headless-none"), "click 1\nexpect 1019 380\n", "--port none");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(
        r.out.find("PortDriver: Couldn't access PortDriver Driver, Please ensure driver is loaded.\n\n"),
        std::string::npos)
        << r.out;
    EXPECT_EQ(r.trace.find("OPEN ok"), std::string::npos);
}

TEST(Headless, AScreenshotIsTheClientAreaOneToOne) {
    std::string dir = test::FreshDir("headless-shot");
    auto r = test::RunPyrelle(dir, "screenshot shot.png\n");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string png = test::ReadFile(dir + "/shot.png");
    ASSERT_GT(png.size(), 24u);
    auto be32 = [&](std::size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(be32(16), 1013u);
    EXPECT_EQ(be32(20), 536u);
}

}  // namespace
