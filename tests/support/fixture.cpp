#include "support/fixture.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace test {

std::vector<std::string> RunResult::TraceLines() const {
    std::vector<std::string> lines;
    std::istringstream in(trace);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string FreshDir(const std::string& name) {
    auto dir = std::filesystem::current_path() / "test-work" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void UseFreshStateFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "none";
    for (char& c : name)
        if (c == '/') c = '_';
    // Under the folder the test binary started with, wherever the test now is.
    static const std::string base = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "/tmp";
    const auto dir = std::filesystem::path(base) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    setenv("XDG_STATE_HOME", dir.c_str(), 1);
}

RunResult RunPyrelle(const std::string& dir, const std::string& script, const std::string& args) {
    std::filesystem::create_directories(dir);
    { std::ofstream(dir + "/script.txt", std::ios::binary) << script; }
    std::string cmd = "cd '" + dir + "' && XDG_STATE_HOME='" + dir +
                      ".state' QT_QPA_PLATFORM=offscreen timeout -k 5 300 '" PYRELLE_BINARY
                      "' --headless --script script.txt --trace trace.txt " +
                      args + " >stdout.txt 2>stderr.txt";
    int rc = std::system(cmd.c_str());
    RunResult r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = ReadFile(dir + "/stdout.txt");
    r.err = ReadFile(dir + "/stderr.txt");
    r.trace = ReadFile(dir + "/trace.txt");
    return r;
}

}  // namespace test
