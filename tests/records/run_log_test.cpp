// The run log that Abort writes: its name, its bytes, rewriting it safely,
// and what the user is told when it cannot be written.
#include "records/run_log.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "records/records.h"

namespace {

namespace fs = std::filesystem;
using records_test::InFreshDirTest;
using records_test::SetImmutable;
using test::ReadFile;

using RunLogTest = InFreshDirTest;

struct NameCase {
    const char* label;
    const char* fileNumber;  // nullptr: the number from start-up
    std::vector<HistoryEntry> samples;
    const char* name;
    const char* bytes;
};

const NameCase kNameCases[] = {
    {"before any run", nullptr, {}, "Tdata1.txt", "0\r\n\r\n"},
    {"three samples",
     "7",
     {{250, 251}, {252, 251}, {255, 252}},
     "Tdata7.txt",
     "3\r\n\r\n250 251\r\n252 251\r\n255 252\r\n"},
    {"empty number", "", {{1, 2}}, "Tdata.txt", "1\r\n\r\n1 2\r\n"},
    {"leading blank kept", " 4", {{0, 0}}, "Tdata 4.txt", "1\r\n\r\n0 0\r\n"},
    {"not a number", "run-b", {{-5, -120}, {88888, 0}}, "Tdatarun-b.txt", "2\r\n\r\n-5 -120\r\n88888 0\r\n"},
};

TEST(RunLogFormat, NameAndBytesFollowTheFileNumberAndTheSamples) {
    for (const auto& c : kNameCases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(records::LogName(c.fileNumber ? c.fileNumber : "1"), c.name);
        EXPECT_EQ(records::FormatRunLog(c.samples.data(), static_cast<int>(c.samples.size())), c.bytes);
    }
}

// Abort writes exactly that file and nothing else.
TEST_F(RunLogTest, AbortWritesTheNamedLogAndNothingElse) {
    const NameCase cases[] = {kNameCases[0], kNameCases[1]};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        for (std::size_t i = 0; i < c.samples.size(); ++i) dlg->m_aHistory[i] = c.samples[i];
        dlg->m_nTickCount = static_cast<int>(c.samples.size());
        if (c.fileNumber) Type(IDC_FILE_NUMBER, c.fileNumber);
        Click(IDC_ABORT);
        EXPECT_EQ(dlg->m_strLogName.str(), c.name);
        EXPECT_EQ(ReadFile(dir + "/" + c.name), c.bytes);
        fs::remove(dir + "/" + c.name);
        EXPECT_EQ(Listing(), "") << "only the log is written";
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(RunLogTest, AbortKeepsTheRunAndASecondAbortOverwrites) {
    SetSamples({{250, 251}, {252, 251}, {255, 252}});
    Abort("7");
    SetSamples({{300, 301}});
    Click(IDC_ABORT);
    EXPECT_EQ(ReadFile(dir + "/Tdata7.txt"), "1\r\n\r\n300 301\r\n");
    EXPECT_EQ(dlg->m_nTickCount, 1);
    EXPECT_EQ(dlg->m_aHistory[0].nMain, 300);
    EXPECT_EQ(Text(IDC_FILE_NUMBER), "7");
    EXPECT_EQ(Listing(), "Tdata7.txt");
}

TEST_F(RunLogTest, AFailedFormCheckStillWritesToTheFileNumberShown) {
    SetSamples({{250, 251}});
    Abort("1");  // run A
    SetSamples({{300, 301}});
    Type(IDC_TEMP_MAX, "900");  // checked before the file number
    Abort("2");
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Please enter an integer between -100 and 800."});
    EXPECT_EQ(ReadFile(dir + "/Tdata1.txt"), "1\r\n\r\n250 251\r\n") << "run A stays";
    EXPECT_EQ(ReadFile(dir + "/Tdata2.txt"), "1\r\n\r\n300 301\r\n");
    EXPECT_EQ(Text(IDC_FILE_NUMBER), "2");
}

TEST_F(RunLogTest, ARunOfThreeTicksIsLoggedAsRead) {
    dev->Queue(250, 251);
    dev->Queue(252, 251);
    dev->Queue(255, 252);
    Click(IDC_RUN_PC_MODE);
    Wait(3000);
    Abort("7");
    EXPECT_EQ(ReadFile(dir + "/Tdata7.txt"), "3\r\n\r\n250 251\r\n252 251\r\n255 252\r\n");
    EXPECT_TRUE(Boxes().empty());
}

// A rewrite replaces the old file whole: a reader that has the old one open
// still sees all of it, never a truncated mix.
TEST_F(RunLogTest, RewriteReplacesTheOldFileWhole) {
    SetSamples({{250, 251}, {252, 251}});
    Abort("3");
    ASSERT_EQ(::chmod("Tdata3.txt", 0640), 0);
    std::ifstream old("Tdata3.txt", std::ios::binary);
    SetSamples({{400, 401}});
    Click(IDC_ABORT);
    std::string seen((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
    EXPECT_EQ(seen, "2\r\n\r\n250 251\r\n252 251\r\n");
    EXPECT_EQ(ReadFile("Tdata3.txt"), "1\r\n\r\n400 401\r\n");
    struct stat st {};
    ASSERT_EQ(::stat("Tdata3.txt", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "the log keeps its permissions";
    EXPECT_EQ(Listing(), "Tdata3.txt");
}

TEST_F(RunLogTest, ALinkedLogIsWrittenThroughTheLink) {
    fs::create_directory("elsewhere");
    { std::ofstream("elsewhere/log.txt") << "old"; }
    fs::create_symlink("elsewhere/log.txt", "Tdata2.txt");
    SetSamples({{1, 2}});
    Abort("2");
    EXPECT_TRUE(fs::is_symlink("Tdata2.txt"));
    EXPECT_EQ(ReadFile("elsewhere/log.txt"), "1\r\n\r\n1 2\r\n");
}

struct FailureCase {
    const char* label;
    void (*prepare)();
    const char* fileNumber;
    const char* name;
    std::string why;
};

// Each failure is real for root too. The user is told the file and the
// reason; the samples stay, and Abort with a good number then saves them.
TEST_F(RunLogTest, AFailedSaveIsReportedAndCanBeRepeated) {
    const FailureCase cases[] = {
        {"folder is a file", [] { std::ofstream("Tdatax") << "x"; }, "x/1", "Tdatax/1.txt",
         std::strerror(ENOTDIR)},
        {"missing folder", [] {}, "missing/1", "Tdatamissing/1.txt", std::strerror(ENOENT)},
        {"log is a folder", [] { fs::create_directories("Tdata6.txt/inside"); }, "6", "Tdata6.txt",
         "it is a folder, not a file"},
        {"log is a device", [] { fs::create_symlink("/dev/full", "Tdata8.txt"); }, "8", "Tdata8.txt",
         "it is a device, not a file"},
        {"log is a pipe", [] { mkfifo("Tdata5.txt", 0600); }, "5", "Tdata5.txt",
         "it is a pipe (FIFO), not a file"},
    };
    SetSamples({{250, 251}, {252, 251}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        platform::testing::ClearBoxes();
        c.prepare();
        std::string before = Listing();
        Abort(c.fileNumber);
        ASSERT_EQ(Boxes().size(), 1u);
        const std::string& box = Boxes()[0];
        EXPECT_NE(box.find(std::string("\"") + c.name + "\" was not saved"), std::string::npos) << box;
        EXPECT_NE(box.find(c.why), std::string::npos) << box;
        EXPECT_EQ(Listing(), before) << "no temporary file is left behind";
        EXPECT_EQ(dlg->m_nTickCount, 2);

        platform::testing::ClearBoxes();
        Abort("9");
        EXPECT_TRUE(Boxes().empty());
        EXPECT_EQ(ReadFile("Tdata9.txt"), "2\r\n\r\n250 251\r\n252 251\r\n");
        fs::remove("Tdata9.txt");
    }
}

// No temporary file beside it: the earlier log is kept whole, and only a log
// that does not exist yet is written in place (here, not even that).
TEST_F(RunLogTest, AFolderThatTakesNoNewFilesKeepsTheEarlierLogWhole) {
    SetSamples({{250, 251}});
    Abort("1");
    if (!SetImmutable(dir, true)) GTEST_SKIP() << "this file system cannot refuse new files to root";
    {
        struct Unlock {
            std::string dir;
            ~Unlock() { SetImmutable(dir, false); }
        } unlock{dir};
        SetSamples({{260, 261}, {262, 263}});
        Click(IDC_ABORT);
        Abort("2");  // a new log cannot be made there
    }
    EXPECT_EQ(ReadFile("Tdata1.txt"), "1\r\n\r\n250 251\r\n");
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_NE(Boxes()[0].find("\"Tdata1.txt\" was not saved: no temporary file can be made beside it"),
              std::string::npos)
        << Boxes()[0];
    EXPECT_NE(Boxes()[1].find(std::string("\"Tdata2.txt\" was not saved: ") + std::strerror(EPERM)),
              std::string::npos)
        << Boxes()[1];
    EXPECT_EQ(Listing(), "Tdata1.txt");
}

// A full file system, without a free inode for a temporary file: the new log
// cannot be written, and the earlier one stays as it was; a user's own file of a temporary-looking name, and
// another file linked to it, are never touched.
TEST_F(RunLogTest, AFullFileSystemAndTheUsersOwnFilesKeepTheirContents) {
    std::ofstream("Tdata3.txt.tmp") << "mine";
    std::ofstream("other.txt") << "other";
    fs::create_hard_link("other.txt", "Tdata4.txt.tmp");
    SetSamples({{250, 251}});
    Abort("3");
    Abort("4");
    EXPECT_EQ(ReadFile("Tdata3.txt.tmp"), "mine");
    EXPECT_EQ(ReadFile("other.txt"), "other");
    EXPECT_EQ(ReadFile("Tdata4.txt"), "1\r\n\r\n250 251\r\n");

    fs::create_directory("small");
    // Three inodes: the folder, the earlier log and a filler; 16 KB of space.
    if (std::system(
            ("mount -t tmpfs -o size=16k,nr_inodes=3 tmpfs '" + dir + "/small' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "cannot mount a small file system here (not root)";
    struct Unmount {
        std::string dir;
        ~Unmount() { std::system(("umount '" + dir + "/small'").c_str()); }
    } unmount{dir};
    std::ofstream("small/Tdata1.txt") << "1\r\n\r\n100 101\r\n";
    std::ofstream("small/filler") << std::string(12 * 1024, 'x');  // what is left is less than the new log
    std::vector<HistoryEntry> many(2000, HistoryEntry{3805, 3512});
    for (std::size_t i = 0; i < many.size(); ++i) dlg->m_aHistory[i] = many[i];
    dlg->m_nTickCount = static_cast<int>(many.size());
    platform::testing::ClearBoxes();
    ASSERT_EQ(chdir("small"), 0);
    Abort("1");
    ASSERT_EQ(chdir(dir.c_str()), 0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("the earlier log is kept as it was"), std::string::npos) << Boxes()[0];
    EXPECT_EQ(ReadFile("small/Tdata1.txt"), "1\r\n\r\n100 101\r\n") << "the earlier log survives";
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator("small")) left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Tdata1.txt", "filler"})) << "nothing left behind";
}

}  // namespace
