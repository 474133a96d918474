// The driver's service at start-up of the whole program, seen from outside:
// boxes on standard error, lines on standard output and the device trace.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/fixture.h"

namespace {

namespace fs = std::filesystem;

const char* kScript = "wait 2000\n";
const char* kNoAccess = "PortDriver: Couldn't access PortDriver Driver, Please ensure driver is loaded.\n\n";

// The emulated system folder of the runs: the tests' own, or the default.
class DriverRunTest : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("PYRELLE_SYSTEM32"); }
    std::string Folder(const std::string& name) {
        std::string dir = test::FreshDir(name);
        setenv("PYRELLE_SYSTEM32", (dir + "/system32").c_str(), 1);
        return dir;
    }
};

std::vector<std::string> Opens(const test::RunResult& r) {
    std::vector<std::string> opens;
    for (const auto& l : r.TraceLines())
        if (l.find("OPEN") != std::string::npos) opens.push_back(l.substr(l.find(' ') + 1));
    return opens;
}

using Lines = std::vector<std::string>;

TEST_F(DriverRunTest, MissingServiceIsInstalledFromTheCurrentFolderAndTheDeviceOpens) {
    for (bool ownFolder : {true, false}) {
        SCOPED_TRACE(ownFolder ? "own system folder" : "default system folder");
        std::string dir = ownFolder ? Folder("run-install") : test::FreshDir("run-install-default");
        if (!ownFolder) unsetenv("PYRELLE_SYSTEM32");
        std::ofstream(dir + "/PortTalk.sys", std::ios::binary) << "driver image";

        test::RunResult r = test::RunPyrelle(dir, kScript, "--driver-service missing");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "box: The PortDriver driver does not exist. Installing driver.\n");
        EXPECT_EQ(r.out, "PortDriver: Driver successfully installed.\n");
        EXPECT_EQ(Opens(r), (Lines{"OPEN failed", "OPEN ok"}));
        if (ownFolder) {
            EXPECT_EQ(test::ReadFile(dir + "/system32/Drivers/PortTalk.sys"), "driver image");
        }
    }
}

TEST_F(DriverRunTest, EachStartingStateReportsOnceAndGoesOn) {
    struct Case {
        std::string args;
        std::string err;
        std::string out;
        Lines opens;
    };
    const Case cases[] = {
        {"", "", "", {"OPEN ok"}},
        {"--driver-service stopped", "", "", {"OPEN failed", "OPEN ok"}},
        {"--port none",
         "box: The Port driver is already running.\n",
         kNoAccess,
         {"OPEN failed", "OPEN failed"}},
        {"--driver-service no-manager-rights",
         "box: You do not have rights to access the Service Control Manager.\n",
         kNoAccess,
         {"OPEN failed", "OPEN failed"}},
        {"--driver-service no-service-rights",
         "box: You do not have rights to the PortDriver service.\n",
         kNoAccess,
         {"OPEN failed", "OPEN failed"}},
        {"--driver-service invalid-name",
         "box: The specified service name is invalid.\n",
         kNoAccess,
         {"OPEN failed", "OPEN failed"}},
        {"--driver-service failing",
         "box: The PortDriver driver could not be started.\n",
         kNoAccess,
         {"OPEN failed", "OPEN failed"}},
        {"--driver-service missing",
         "box: The PortDriver driver does not exist. Installing driver.\n"
         "box: Please manually copy driver to your system32/driver directory.\n"
         "box: Does PortTalk.SYS exist in your \\System32\\Drivers Directory?\n",
         "PortDriver: Driver successfully installed.\n" + std::string(kNoAccess),
         {"OPEN failed", "OPEN failed"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        std::string dir = Folder("run-state-" + std::to_string(n++));
        test::RunResult r = test::RunPyrelle(dir, kScript, c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(Opens(r), c.opens);
    }
}

TEST_F(DriverRunTest, UnknownStateIsRefusedBeforeAnythingRuns) {
    std::string dir = Folder("run-bad-state");
    test::RunResult r = test::RunPyrelle(dir, kScript, "--driver-service sleeping");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown --driver-service state 'sleeping'"), std::string::npos) << r.err;
    EXPECT_EQ(r.trace, "");
    EXPECT_FALSE(fs::exists(dir + "/system32"));
}

}  // namespace
