// The program as a user runs it: a replayed run of N ticks, then Abort.
#include <fstream>
#include <utility>
#include <vector>

#include "support/fixture.h"

namespace {

TEST(RunLogEndToEnd, AbortAfterAReplayedRunWritesTheReadingsAsRead) {
    constexpr int kTicks = 40;
    std::string dir = test::FreshDir("records/e2e");
    std::vector<std::pair<int, int>> readings;
    for (int i = 0; i < kTicks + 5; ++i) readings.emplace_back(205 + 37 * i, 99999 - 1234 * i);
    readings[3] = {0, 0};
    {
        std::ofstream replay(dir + "/readings.txt", std::ios::binary);
        for (auto [main, aux] : readings) replay << main << ' ' << aux << '\n';
    }

    auto r = test::RunPyrelle(
        dir, "type 1071 12\nclick 1029\nwait " + std::to_string(kTicks * 1000) + "\nclick 1006\n",
        "--port replay:readings.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("box:"), std::string::npos) << r.err;

    std::string expected = std::to_string(kTicks) + "\r\n\r\n";
    for (int i = 0; i < kTicks; ++i)
        expected += std::to_string(readings[i].first) + " " + std::to_string(readings[i].second) + "\r\n";
    EXPECT_EQ(test::ReadFile(dir + "/Tdata12.txt"), expected);
}

}  // namespace
