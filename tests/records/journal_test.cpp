// The run journal: what a damaged one still yields, what the next start saves
// of a run that ended without Abort, and that nothing is lost or left behind
// however a run ends.
#include "records/journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "records/records.h"

namespace {

namespace fs = std::filesystem;
using records_test::InFreshDirTest;
using test::ReadFile;

const std::string kHead = "pyrelle-journal 1\nfolder /some/where\nstarted 1700000000\n";

TEST(Journal, ADamagedJournalStillYieldsEveryWholeSampleBeforeTheDamage) {
    struct Case {
        const char* what;
        std::string text;
        bool ours;
        int samples;
    } cases[] = {
        {"whole", kHead + "250 251\n252 251\n", true, 2},
        {"cut mid-line", kHead + "250 251\n252 25", true, 1},
        {"garbage after", kHead + "250 251\n\x01\xff garbage\n252 251\n", true, 1},
        {"a sample out of range", kHead + "250 251\n99999999999 1\n", true, 1},
        {"header only", kHead, true, 0},
        {"header cut", kHead.substr(0, 30), false, 0},
        {"not a journal", "hello\n", false, 0},
    };
    for (const Case& c : cases) {
        records::JournalRun run;
        EXPECT_EQ(records::ReadJournal(c.text, run), c.ours) << c.what;
        EXPECT_EQ(static_cast<int>(run.samples.size()), c.samples) << c.what;
        if (c.samples > 0) {
            EXPECT_EQ(run.folder, "/some/where") << c.what;
            EXPECT_EQ(run.samples[0].nMain, 250) << c.what;
        }
    }
}

TEST(Journal, ARecoveredLogNeverTakesTheNameOfAnExistingFile) {
    const std::string dir = test::FreshDir("records/recovered-names");
    const HistoryEntry samples[] = {{1, 2}};
    int err = 0;
    const std::string first = records::SaveRecovered(dir, 1700000000, samples, 1, err);
    const std::string second = records::SaveRecovered(dir, 1700000000, samples, 1, err);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(second.substr(second.size() - 6), "-2.txt");
    EXPECT_EQ(ReadFile(first), "1\r\n\r\n1 2\r\n");
}

using JournalTest = InFreshDirTest;

std::vector<std::string> Named(const std::string& dir, const std::string& part) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().find(part) != std::string::npos) out.push_back(e.path().string());
    return out;
}

TEST_F(JournalTest, ExitWithoutAbortSavesTheRunUnderANewNameAndSaysWhere) {
    dev->Show(2000, 250);
    Click(IDC_RUN_PC_MODE);
    Wait(5000);
    EXPECT_EQ(Named(std::getenv("XDG_STATE_HOME") + std::string("/pyrelle"), ".journal").size(), 1u);
    Click(IDCANCEL);
    const auto saved = Named(dir, "Tdata-recovered-2");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(ReadFile(saved[0]), "5\r\n\r\n2000 250\r\n2000 250\r\n2000 250\r\n2000 250\r\n2000 250\r\n");
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("5 samples were not saved by Abort. They are saved in " + saved[0]),
              std::string::npos)
        << Boxes()[0];
    EXPECT_TRUE(Named(std::getenv("XDG_STATE_HOME") + std::string("/pyrelle"), ".journal").empty());
}

TEST_F(JournalTest, AbortLeavesNoJournalAndANewRunSavesTheRunBefore) {
    const std::string state = std::getenv("XDG_STATE_HOME") + std::string("/pyrelle");
    Click(IDC_RUN_PC_MODE);
    Wait(3000);
    Click(IDC_ABORT);
    EXPECT_TRUE(Named(state, ".journal").empty());
    EXPECT_EQ(Listing(), "Tdata1.txt");

    Click(IDC_RUN_PC_MODE);  // the aborted run is saved: nothing more to keep
    Wait(2000);
    EXPECT_TRUE(Boxes().empty());
    Click(IDC_RUN_PC_MODE);  // these two samples were never saved
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("2 samples were not saved by Abort"), std::string::npos) << Boxes()[0];
    EXPECT_EQ(Named(dir, "Tdata-recovered").size(), 1u);
    EXPECT_EQ(Named(state, ".journal").size(), 1u) << "the new run's";
}

// What a crash, a kill or a power cut leaves: a journal no program holds.
// The next start saves it in the run's folder, or, failing that, in the
// state folder; one that a running program holds is left alone.
TEST_F(JournalTest, TheNextStartSavesWhatAStoppedProgramLeft) {
    const std::string state = std::getenv("XDG_STATE_HOME") + std::string("/pyrelle");
    dev->Show(3000, 2000);
    Click(IDC_RUN_PC_MODE);
    Wait(12000);
    const auto journal = Named(state, ".journal");
    ASSERT_EQ(journal.size(), 1u);
    std::ofstream(journal[0], std::ios::app) << "3001 20";  // cut mid-line as the power went

    // A second journal, held by a program still running, and a third whose
    // run's folder is gone.
    std::ofstream(state + "/run-1-1-1.journal") << kHead << "1 2\n";
    const int held = ::open((state + "/run-1-1-1.journal").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::ofstream(state + "/run-2-1-1.journal") << kHead << "7 8\n";

    dlg.reset();  // the program stops without Exit
    platform::testing::ClearBoxes();
    dlg = std::make_unique<CPyrelleDlg>();
    AfxGetApp()->m_pMainWnd = dlg.get();
    dlg->Create(IDD_PYRELLE_DIALOG);

    ASSERT_EQ(Boxes().size(), 2u);
    const auto ours = Named(dir, "Tdata-recovered");
    ASSERT_EQ(ours.size(), 1u);
    std::string want = "12\r\n\r\n";
    for (int k = 0; k < 12; ++k) want += "3000 2000\r\n";
    EXPECT_EQ(ReadFile(ours[0]), want);
    const auto elsewhere = Named(state, "Tdata-recovered");
    ASSERT_EQ(elsewhere.size(), 1u);
    EXPECT_EQ(ReadFile(elsewhere[0]), "1\r\n\r\n7 8\r\n");
    EXPECT_EQ(Named(state, ".journal"), std::vector<std::string>{state + "/run-1-1-1.journal"});
    ::close(held);
}

}  // namespace
