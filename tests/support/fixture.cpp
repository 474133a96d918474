#include "support/fixture.h"

#include <sys/wait.h>

#include <cstdio>
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

RunResult RunPyrelle(const std::string& dir, const std::string& script, const std::string& args) {
    std::filesystem::create_directories(dir);
    { std::ofstream(dir + "/script.txt", std::ios::binary) << script; }
    std::string cmd = "cd '" + dir +
                      "' && QT_QPA_PLATFORM=offscreen '" PYRELLE_BINARY
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
