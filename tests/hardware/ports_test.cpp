// Choosing the port backend, and the replay files it reads.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "hardware/replay_port.h"

namespace {

const std::string kReplayDir = std::string(PYRELLE_SOURCE_DIR) + "/tests/data/replay/";

TEST(MakePort, Specs) {
    struct Case {
        std::string portName;
        const char* errorPart;  // nullptr: a device and no error
    };
    const Case cases[] = {
        {"sim", nullptr},
        {"sim,flip=0.001,drop=0.05,stuck=high,truncate=120,fail", nullptr},
        {"replay:" + kReplayDir + "plain.txt", nullptr},
        {"parport", nullptr},
        {"parport:/dev/parport1,shared,heartbeat", nullptr},
        {"parport,bogus", "unknown option \"bogus\""},
        {"parport:", "parport[:DEVICE][,OPTION...]"},
        {"sim,flip=1.5", "\"flip=1.5\""},
        {"sim,stuck=up", "\"stuck=up\""},
        {"sim,truncate=177", "\"truncate=177\""},
        {"sim,fail=1", "\"fail=1\""},
        {"sim,flip=0.1,", "bad fault"},
        {"simulator", "unknown port"},
        {"replay:", "file name"},
        {"replay:" + kReplayDir + "missing.txt", "missing.txt"},
    };
    for (const Case& c : cases) {
        std::string error = "stale";
        auto port = hw::MakePort(c.portName, 1, nullptr, error);
        EXPECT_EQ(port != nullptr, c.errorPart == nullptr) << c.portName;
        EXPECT_NE(error.find(c.errorPart ? c.errorPart : ""), std::string::npos)
            << c.portName << ": " << error;
        EXPECT_EQ(error.empty(), c.errorPart == nullptr) << c.portName;
    }
    std::string error = "stale";
    EXPECT_EQ(hw::MakePort("none", 1, nullptr, error), nullptr);
    EXPECT_EQ(error, "");
}

// One case per file in tests/data/replay.
struct ReplayCase {
    const char* file;
    std::vector<hw::ReplayReading> readings;  // when good
    const char* errorPart;                    // when bad
};
std::ostream& operator<<(std::ostream& os, const ReplayCase& c) {
    return os << c.file;
}

class ReplayFile : public testing::TestWithParam<ReplayCase> {};

TEST_P(ReplayFile, Loads) {
    const ReplayCase& c = GetParam();
    const std::string path = kReplayDir + c.file;
    std::vector<hw::ReplayReading> got;
    std::string error;
    if (c.errorPart == nullptr) {
        ASSERT_TRUE(hw::LoadReplay(path, got, error)) << error;
        ASSERT_EQ(got.size(), c.readings.size());
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].main, c.readings[k].main) << k;
            EXPECT_EQ(got[k].aux, c.readings[k].aux) << k;
            EXPECT_EQ(got[k].seconds, c.readings[k].seconds) << k;
        }
    } else {
        ASSERT_FALSE(hw::LoadReplay(path, got, error));
        EXPECT_NE(error.find("\"" + path + "\""), std::string::npos) << error;
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, ReplayFile,
    testing::Values(
        ReplayCase{"plain.txt", {{250, 248, -1}, {251, 249, -1}}, nullptr},
        ReplayCase{"run_log_crlf.txt", {{250, 251, -1}, {252, 251, -1}, {255, 252, -1}}, nullptr},
        ReplayCase{"with_seconds.txt", {{1234, 567, 754}, {99999, 0, 5999}, {0, 99999, -1}}, nullptr},
        ReplayCase{"spaced.txt", {{250, 248, -1}, {251, 249, -1}}, nullptr},
        ReplayCase{"bad_one_field.txt", {}, "line 3: expected"},
        ReplayCase{"bad_decimal.txt", {}, "line 2: expected"},
        ReplayCase{"bad_four_fields.txt", {}, "line 1: expected"},
        ReplayCase{"bad_empty_line.txt", {}, "line 2: expected"},
        ReplayCase{"bad_count_not_at_start.txt", {}, "line 2: expected"},
        ReplayCase{"bad_main_range.txt", {}, "line 1: main reading 100000 is out of range 0 to 99999"},
        ReplayCase{"bad_aux_negative.txt", {}, "line 1: auxiliary reading -1 is out of range"},
        ReplayCase{"bad_seconds_range.txt", {}, "line 1: display seconds 6000 is out of range"},
        ReplayCase{"bad_huge.txt", {}, "line 1: auxiliary reading 99999999999999999999999 is out"},
        ReplayCase{"bad_empty_file.txt", {}, ": no reading"},
        ReplayCase{"bad_empty_run_log.txt", {}, ": no reading"}),
    [](const testing::TestParamInfo<ReplayCase>& info) {
        const std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

// The program refuses a bad replay file before it opens a window.
TEST(ReplayFile, ProgramExitsWithStatusTwoNamingTheLine) {
    const std::string out = "replay_exit.out";
    const std::string cmd = "QT_QPA_PLATFORM=offscreen timeout 60 '" + std::string(PYRELLE_BINARY) +
                            "' --port 'replay:" + kReplayDir + "bad_one_field.txt' > " + out + " 2>&1";
    const int status = std::system(cmd.c_str());
    std::stringstream text;
    text << std::ifstream(out).rdbuf();
    std::remove(out.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(text.str().find("bad_one_field.txt\", line 3: expected"), std::string::npos) << text.str();
}

}  // namespace
