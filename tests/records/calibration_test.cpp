// The calibration dialog: what it shows, what Set keeps, its checks, and a
// run that goes on ticking while it is open.
#include <vector>

#include "records/calibration_dlg.h"
#include "support/fixture.h"

namespace {

using platform::testing::PushUser;

class CalibrationTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        test::MainWindowTest::SetUp();
        // Every program start begins at scaling 0 and offset 0.
        g_dCalScale = 0.0;
        g_nCalOffset = 0;
    }
    // Opens the dialog with `user` playing it.
    void Calibrate(const std::string& user) {
        PushUser(user);
        Click(IDC_CALIBRATE);
    }
    using Boxes_t = std::vector<std::string>;
};

constexpr const char* kRange = "Please enter a number between 0.01 and 100.";

TEST_F(CalibrationTest, TheFirstOpeningShowsZerosAndSetSavesThemAfterTheRangeMessage) {
    Calibrate("expect 1019 0\nexpect 1020 0\nclick 1055\nclick 1\nclick 2");
    EXPECT_EQ(Boxes(), Boxes_t{kRange});
    EXPECT_EQ(g_dCalScale, 0.0);
    EXPECT_EQ(g_nCalOffset, 0);
}

TEST_F(CalibrationTest, SetKeepsTheValuesForTheNextOpening) {
    Calibrate("type 1019 1.5\ntype 1020 3\nclick 1055\nclick 2");
    Calibrate("expect 1019 1.5\nexpect 1020 3\nclick 2");
    EXPECT_EQ(g_dCalScale, 1.5);
    EXPECT_EQ(g_nCalOffset, 3);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CalibrationTest, ValuesNotSetAreLostOnExitAndOnEnter) {
    Calibrate("type 1019 1.5\ntype 1020 3\nclick 1055\nclick 2");
    Calibrate("type 1019 2.5\ntype 1020 7\nclick 2");
    Calibrate("type 1019 2.5\ntype 1020 7\nkey enter");
    Calibrate("expect 1019 1.5\nexpect 1020 3\nkey esc");
    EXPECT_EQ(g_dCalScale, 1.5);
    EXPECT_EQ(g_nCalOffset, 3);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(CalibrationTest, AnOutOfRangeScalingIsSavedAfterItsMessage) {
    Calibrate("type 1019 200\ntype 1020 -4\nclick 1055\nclick 1\nclick 2");
    Calibrate("expect 1019 200\nexpect 1020 -4\nclick 2");
    EXPECT_EQ(Boxes(), Boxes_t{kRange});
    EXPECT_EQ(g_dCalScale, 200.0);
    EXPECT_EQ(g_nCalOffset, -4);
}

// The offset is taken first: a bad offset stops the exchange before the
// scaling, while a bad scaling comes after the offset has been taken.
TEST_F(CalibrationTest, ABadFieldKeepsItsOldValueAndStopsTheRest) {
    g_dCalScale = 1.5;
    g_nCalOffset = 3;
    Calibrate("type 1020 abc\ntype 1019 5\nclick 1055\nclick 1\nclick 2");
    EXPECT_EQ(Boxes(), Boxes_t{"Please enter an integer."});
    EXPECT_EQ(g_dCalScale, 1.5);
    EXPECT_EQ(g_nCalOffset, 3);

    platform::testing::ClearBoxes();
    Calibrate("type 1020 4\ntype 1019 1.5x\nclick 1055\nclick 1\nclick 2");
    EXPECT_EQ(Boxes(), Boxes_t{"Please enter a number."});
    EXPECT_EQ(g_dCalScale, 1.5);
    EXPECT_EQ(g_nCalOffset, 4);
}

TEST_F(CalibrationTest, TheScalingShowsUpToFifteenSignificantDigits) {
    const std::pair<double, const char*> cases[] = {
        {0.5, "0.5"},     {0.0, "0"},
        {100.0, "100"},   {1.0 / 3.0, "0.333333333333333"},
        {-2.25, "-2.25"}, {123456789012345678.0, "1.23456789012346e+17"},
        {1e-5, "1e-05"},
    };
    for (auto [value, text] : cases) {
        g_dCalScale = value;
        Calibrate(std::string("expect 1019 ") + text + "\nclick 2");
    }
    EXPECT_TRUE(Boxes().empty());
}

// Ticks go on in the dialog's modal loop and in a message box opened from it,
// and the readings are taken as shown, with no calibration applied.
TEST_F(CalibrationTest, ARunGoesOnTickingWhileTheDialogIsOpen) {
    dev->Show(250, 248);
    Click(IDC_RUN_PC_MODE);
    PushUser("type 1019 1.5\ntype 1020 3\nclick 1055\nwait 3000\nclick 2");
    Click(IDC_CALIBRATE);
    EXPECT_EQ(dlg->m_nTickCount, 3);
    EXPECT_EQ(dlg->m_nTemperature, 250);
    EXPECT_EQ(dlg->m_nAuxTemperature, 248);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dlg->m_aHistory[i].nMain, 250) << i;
        EXPECT_EQ(dlg->m_aHistory[i].nAux, 248) << i;
    }
    EXPECT_FALSE(dev->writes.empty()) << "the element is driven while the dialog is open";

    Calibrate("type 1019 200\nclick 1055\nwait 2000\nclick 1\nclick 2");
    EXPECT_EQ(Boxes(), Boxes_t{kRange});
    EXPECT_EQ(dlg->m_nTickCount, 5);
    EXPECT_EQ(g_dCalScale, 200.0);
    EXPECT_EQ(g_nCalOffset, 3);
}

}  // namespace
