// The program binary run headless with a script: what a user and a support
// engineer see of start-up, validation and shutdown.
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
        {"click 2\nfrobnicate\n", "", "line 2"}, {"click 4242\n", "", "line 1"},
        {"wait soon\n", "", "line 1"},           {"wait -5\n", "", "line 1"},
        {"key space\n", "", "line 1"},           {"click 2\n", "--speed fast", "--speed"},
        {"click 2\n", "--bogus", "--bogus"},
    };
    int n = 0;
    for (const auto& c : cases) {
        auto r = test::RunPyrelle(test::FreshDir("headless-bad" + std::to_string(n++)), c.script, c.args);
        EXPECT_EQ(r.status, 2) << c.script << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.trace.find("OPEN"), std::string::npos) << "nothing ran";
    }
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
