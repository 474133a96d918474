// Shared pieces of the records tests: a main window working in a fresh folder.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "support/fixture.h"

namespace records_test {

// Sets or clears the immutable flag of a folder: while set it takes no new
// files, even from root, but the files already in it can still be written.
inline bool SetImmutable(const std::string& dir, bool on) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

// A main window whose current directory is a fresh folder while the test runs.
class InFreshDirTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        m_home = std::filesystem::current_path();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '_';
        // A run that died with the folder locked must not block the next one.
        auto old = m_home / "test-work" / "records" / name;
        if (std::filesystem::exists(old)) SetImmutable(old.string(), false);
        dir = test::FreshDir("records/" + name);
        std::filesystem::current_path(dir);
        test::MainWindowTest::SetUp();
    }
    void TearDown() override {
        test::MainWindowTest::TearDown();
        std::filesystem::current_path(m_home);
    }

    void SetSamples(std::initializer_list<HistoryEntry> samples) {
        int n = 0;
        for (const HistoryEntry& e : samples) dlg->m_aHistory[n++] = e;
        dlg->m_nTickCount = n;
    }
    void Abort(const char* fileNumber) {
        Type(IDC_FILE_NUMBER, fileNumber);
        Click(IDC_ABORT);
    }
    // The names in the folder, sorted, joined by blanks.
    std::string Listing() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        std::string out;
        for (const auto& n : names) out += (out.empty() ? "" : " ") + n;
        return out;
    }

    std::string dir;

private:
    std::filesystem::path m_home;
};

}  // namespace records_test
