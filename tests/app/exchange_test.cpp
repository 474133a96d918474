// The form's data exchange: parsing, ranges, the order fields are taken in,
// and where the focus goes when a check fails.
#include "support/fixture.h"

namespace {

using test::MainWindowTest;

struct IntCase {
    const char* text;
    bool ok;
    int value;
};

TEST_F(MainWindowTest, IntegerFieldsAcceptOnlyDecimalIntegersWithBlanksAround) {
    const std::string thirtyZeros(30, '0');
    const IntCase cases[] = {
        {"42", true, 42},
        {" \t 42 \t", true, 42},
        {"+5", true, 5},
        {"-7", true, -7},
        {"-0", true, 0},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        // Only the first 31 characters are read: the 32nd digit is not.
        {"000000000000000000000000000000123", true, 1},
        {"1                              x", true, 1},
        {"", false, 0},
        {"   ", false, 0},
        {"4 2", false, 0},
        {"42x", false, 0},
        {"x42", false, 0},
        {"0x10", false, 0},
        {"1e3", false, 0},
        {"1.5", false, 0},
        {"+", false, 0},
        {"--1", false, 0},
        {"2147483648", false, 0},
        {"99999999999", false, 0},
    };
    for (const auto& c : cases) {
        platform::testing::ClearBoxes();
        dlg->m_nStartTemp = 12345;
        Type(IDC_START_TEMP, c.text);
        BOOL ok = dlg->UpdateData(TRUE);
        EXPECT_EQ(ok, c.ok ? TRUE : FALSE) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(dlg->m_nStartTemp, c.value) << "'" << c.text << "'";
            EXPECT_TRUE(Boxes().empty());
        } else {
            EXPECT_EQ(dlg->m_nStartTemp, 12345) << "a field that does not parse keeps its value";
            ASSERT_EQ(Boxes().size(), 1u) << "'" << c.text << "'";
            EXPECT_EQ(Boxes()[0], "Please enter an integer.");
        }
    }
}

TEST_F(MainWindowTest, LettersInASegmentStopTheExchangeThere) {
    Type(IDC_START_TEMP, "21");  // step 3: before the fault, taken
    Type(IDC_SEG1_TEMP, "abc");  // step 4: the fault
    Type(IDC_SEG1_TIME, "111");  // step 5: after, not taken
    Type(IDC_SEG2_TEMP, "222");  // step 9: after, not taken
    Type(IDC_FILE_NUMBER, "9");  // step 18: after, not taken
    EXPECT_FALSE(dlg->UpdateData(TRUE));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Please enter an integer."});
    EXPECT_EQ(dlg->m_nStartTemp, 21);
    EXPECT_EQ(dlg->m_nSeg1Temp, 380);
    EXPECT_EQ(dlg->m_nSeg1Time, 29000);
    EXPECT_EQ(dlg->m_nSeg2Temp, 200);
    EXPECT_EQ(dlg->m_strFileNumber, "1");
    // The focus is on the offending edit with its whole text selected.
    CWnd* focus = CWnd::GetFocus();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->GetDlgCtrlID(), IDC_SEG1_TEMP);
    EXPECT_EQ(focus->SendMessage(EM_GETSEL), static_cast<LRESULT>(MAKEWPARAM(0, 3)));
}

TEST_F(MainWindowTest, SegmentTimesAreTakenBeforeTheLastThreeTemperatures) {
    Type(IDC_SEG4_TIME, "4444");  // step 8, taken
    Type(IDC_SEG2_TEMP, "oops");  // step 9, the fault
    Type(IDC_SEG3_TEMP, "333");   // step 10, not taken
    EXPECT_FALSE(dlg->UpdateData(TRUE));
    EXPECT_EQ(dlg->m_nSeg4Time, 4444);
    EXPECT_EQ(dlg->m_nSeg3Temp, 300);
}

TEST_F(MainWindowTest, AnOutOfRangeValueStaysInItsFieldAndStopsTheExchange) {
    Type(IDC_TEMP_MAX, "900");
    Type(IDC_TIME_MIN, "5");
    Type(IDC_DUTY_PERCENT, "50");
    Type(IDC_FILE_NUMBER, "3");
    EXPECT_FALSE(dlg->UpdateData(TRUE));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Please enter an integer between -100 and 800."});
    EXPECT_EQ(dlg->m_nAxisTempMax, 900);
    EXPECT_EQ(dlg->m_nAxisTimeMin, 0);
    EXPECT_EQ(dlg->m_nDutyPercent, 98);
    EXPECT_EQ(dlg->m_strFileNumber, "1");
    EXPECT_EQ(CWnd::GetFocus()->GetDlgCtrlID(), IDC_TEMP_MAX);
    EXPECT_EQ(Text(IDC_TEMP_MAX), "900");
}

TEST_F(MainWindowTest, RangeBoundsAreInclusiveAndNamedInTheMessage) {
    struct RangeCase {
        int id;
        const char* text;
        const char* box;  // nullptr: accepted
    } cases[] = {
        {IDC_TEMP_MIN, "-100", nullptr},
        {IDC_TEMP_MIN, "-101", "Please enter an integer between -100 and 800."},
        {IDC_TEMP_MAX, "800", nullptr},
        {IDC_TIME_MIN, "-1", "Please enter an integer between 0 and 60000."},
        {IDC_TIME_MAX, "60000", nullptr},
        {IDC_TIME_MAX, "60001", "Please enter an integer between 0 and 60000."},
        {IDC_DUTY_PERCENT, "0", nullptr},
        {IDC_DUTY_PERCENT, "101", "Please enter an integer between 0 and 100."},
    };
    for (const auto& c : cases) {
        dlg->UpdateData(FALSE);
        platform::testing::ClearBoxes();
        Type(c.id, c.text);
        EXPECT_EQ(dlg->UpdateData(TRUE), c.box ? FALSE : TRUE) << c.id << " " << c.text;
        if (c.box) {
            EXPECT_EQ(Boxes(), std::vector<std::string>{c.box});
        }
        // Put the defaults back for the next case.
        dlg->m_nAxisTempMin = 10;
        dlg->m_nAxisTempMax = 390;
        dlg->m_nAxisTimeMin = 0;
        dlg->m_nAxisTimeMax = 3600;
        dlg->m_nDutyPercent = 98;
    }
}

TEST_F(MainWindowTest, TextFieldsAreTakenVerbatimAndFieldsPutBackAsDecimals) {
    Type(IDC_FILE_NUMBER, " 7 ");
    EXPECT_TRUE(dlg->UpdateData(TRUE));
    EXPECT_EQ(dlg->m_strFileNumber, " 7 ");
    dlg->m_nStartTemp = -15;
    dlg->m_nSeg1Time = 2147483647;
    dlg->UpdateData(FALSE);
    EXPECT_EQ(Text(IDC_START_TEMP), "-15");
    EXPECT_EQ(Text(IDC_SEG1_TIME), "2147483647");
    EXPECT_EQ(Text(IDC_FILE_NUMBER), " 7 ");
}

}  // namespace
