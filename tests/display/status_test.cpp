// The status line: its texts byte for byte, their cells on the surface, the
// degree mark, and what a repaint brings back after minimise and restore.
#include <cstdio>
#include <string>
#include <vector>

#include "support/fixture.h"

namespace {

constexpr COLORREF kFace = RGB(240, 240, 240);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kRow = 458;

class StatusTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        dc = dlg->m_pChartDC;
    }
    // Width of an opaque text drawn at x: its grey cells run to the first face pixel.
    int Extent(int x) const {
        int end = x;
        while (end < 1013 && dc->GetPixel(end, kRow + 23) != kFace) ++end;
        return end - x;
    }
    static bool Dark(COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; }
    // Dark pixels in the rectangle [x0, x1) x [y0, y1), by row.
    std::vector<int> InkRows(int x0, int x1, int y0, int y1) const {
        std::vector<int> rows;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (Dark(dc->GetPixel(x, y))) rows.push_back(y);
        return rows;
    }
    bool AllOf(int x0, int x1, int y0, int y1, COLORREF c) const {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (dc->GetPixel(x, y) != c) return false;
        return true;
    }
    // Draws all four values, as a running tick and Run leave them; returns
    // the width of one character cell.
    int DrawAllValues() {
        dlg->DrawTemps();
        dlg->DrawTime();
        dlg->m_strDuty = "97.9 %";
        dlg->DrawDuty();
        dlg->DrawState("Running");
        return Extent(120) / 7;
    }
    CDC* dc = nullptr;
};

TEST_F(StatusTest, TemperatureTextShowsBothReadingsWithTheDegreeMark) {
    struct Case {
        int main, aux;
        std::string text;
    } cases[] = {
        {3805, 250,
         "380.5\xA7"
         "C  25.0\xA7"
         "C "},
        {0, 0,
         "  0.0\xA7"
         "C   0.0\xA7"
         "C "},
        {10000, 9999,
         "1000.0\xA7"
         "C 999.9\xA7"
         "C "},
        {88888, 88888,
         "8888.8\xA7"
         "C 8888.8\xA7"
         "C "},  // a failed readout
        {-55, 123456,
         " -5.5\xA7"
         "C 12345.6\xA7"
         "C "},
    };
    for (const Case& c : cases) {
        dlg->m_nTemperature = c.main;
        dlg->m_nAuxTemperature = c.aux;
        dlg->DrawTemps();
        EXPECT_EQ(dlg->m_strTemps.str(), c.text) << c.main << ", " << c.aux;
    }
}

TEST_F(StatusTest, ReadingsUpToTenThousandDegreesShowTheirExactTenths) {
    char expected[32];
    for (int v = 0; v <= 99999; v += 13) {
        dlg->m_nTemperature = v;
        dlg->m_nAuxTemperature = 99999 - v;
        dlg->DrawTemps();
        std::snprintf(expected, sizeof expected,
                      "%3d.%d\xA7"
                      "C %3d.%d\xA7"
                      "C ",
                      v / 10, v % 10, (99999 - v) / 10, (99999 - v) % 10);
        ASSERT_EQ(dlg->m_strTemps.str(), expected);
    }
}

TEST_F(StatusTest, TimeTextIsFiveDigitsAndSeconds) {
    const std::pair<int, const char*> cases[] = {
        {0, "00000 s"}, {123, "00123 s"}, {99999, "99999 s"}, {100000, "100000 s"}, {-5, "-0005 s"}};
    for (auto [seconds, text] : cases) {
        dlg->m_nElapsedSeconds = seconds;
        dlg->DrawTime();
        EXPECT_EQ(dlg->m_strTime.str(), text);
    }
}

TEST_F(StatusTest, ValuesPaintFixedGreyCellsTwentyFourPixelsHigh) {
    dlg->m_nTemperature = 3805;
    dlg->m_nAuxTemperature = 250;
    const int cell = DrawAllValues();
    ASSERT_GT(cell, 6);
    EXPECT_EQ(Extent(120), 7 * cell);
    EXPECT_EQ(Extent(390), 16 * cell);
    EXPECT_EQ(Extent(710), 6 * cell);
    EXPECT_EQ(Extent(880), 7 * cell);
    // The last cell of the temperatures is a blank: grey from row 458 to 481.
    const int blank = 390 + 15 * cell;
    EXPECT_TRUE(AllOf(blank, blank + cell, kRow, kRow + 24, kGrey));
    EXPECT_TRUE(AllOf(blank, blank + cell, kRow - 1, kRow, kFace));
    EXPECT_TRUE(AllOf(blank, blank + cell, kRow + 24, kRow + 25, kFace));

    // Byte 0xA7 (cell 5) is a raised mark: ink, all of it in the upper half;
    // the decimal point (cell 3) sits low.
    const auto mark = InkRows(390 + 5 * cell, 390 + 6 * cell, kRow, kRow + 24);
    ASSERT_FALSE(mark.empty());
    EXPECT_LT(mark.back(), kRow + 12);
    const auto point = InkRows(390 + 3 * cell, 390 + 4 * cell, kRow, kRow + 24);
    ASSERT_FALSE(point.empty());
    EXPECT_GE(point.front(), kRow + 12);

    // "Aborted" covers "Running" exactly; a shorter temperature text leaves
    // the last cells of a longer one.
    dlg->DrawState("Aborted");
    EXPECT_EQ(Extent(880), 7 * cell);
    dlg->m_nTemperature = dlg->m_nAuxTemperature = 88888;
    dlg->DrawTemps();
    EXPECT_EQ(Extent(390), 18 * cell);
    dlg->m_nTemperature = 3805;
    dlg->m_nAuxTemperature = 250;
    dlg->DrawTemps();
    EXPECT_EQ(Extent(390), 18 * cell);
}

TEST_F(StatusTest, ARunThatEndsByItselfSaysEndedWithNoLettersOfRunningLeft) {
    const int cell = DrawAllValues();
    for (int id : {IDC_SEG1_TIME, IDC_SEG2_TIME, IDC_SEG3_TIME, IDC_SEG4_TIME}) Type(id, "0");
    Click(IDC_RUN_PC_MODE);
    const std::vector<int> running = InkRows(880, 880 + 7 * cell, kRow, kRow + 24);
    Wait(1000);  // the one tick of an empty program is its last
    EXPECT_EQ(Extent(880), 7 * cell);
    EXPECT_NE(InkRows(880, 880 + 7 * cell, kRow, kRow + 24), running);
    EXPECT_FALSE(InkRows(880, 880 + 5 * cell, kRow, kRow + 24).empty()) << "five letters";
    EXPECT_TRUE(InkRows(880 + 5 * cell, 880 + 7 * cell, kRow, kRow + 24).empty()) << "then two blank cells";
}

TEST_F(StatusTest, MinimiseAndRestoreBringBackTheLabelsButNotTheValues) {
    const int cell = DrawAllValues();
    ASSERT_GT(cell, 6);

    // Wipe the labels: the paint while minimised draws them again, after the icon.
    for (int x = 60; x < 1013; ++x)
        for (int y = kRow; y < kRow + 24; ++y) dc->SetPixel(x, y, kWhite);
    dlg->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    ASSERT_TRUE(dlg->IsIconic());
    const struct { int x, chars; } labels[] = {{60, 4}, {230, 11}, {650, 4}, {800, 5}};
    for (auto l : labels) EXPECT_FALSE(InkRows(l.x, l.x + l.chars * cell, kRow, kRow + 24).empty()) << l.x;

    // The icon, centred in the client area, rounding up.
    RECT client;
    dlg->GetClientRect(&client);
    ASSERT_EQ(client.right, 1013);
    ASSERT_EQ(client.bottom, 536);
    const int iconX = 491, iconY = 252;
    const auto iconArea = [&] {
        std::vector<COLORREF> p;
        for (int y = iconY - 1; y <= iconY + 32; ++y)
            for (int x = iconX - 1; x <= iconX + 32; ++x) p.push_back(dc->GetPixel(x, y));
        return p;
    };
    const auto minimised = iconArea();

    dlg->SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    ASSERT_FALSE(dlg->IsIconic());
    for (auto l : labels) EXPECT_FALSE(InkRows(l.x, l.x + l.chars * cell, kRow, kRow + 24).empty()) << l.x;
    EXPECT_TRUE(AllOf(120, 120 + 7 * cell, kRow, kRow + 24, kFace)) << "time";
    EXPECT_TRUE(AllOf(390, 390 + 16 * cell, kRow, kRow + 24, kFace)) << "temperatures";
    EXPECT_TRUE(AllOf(710, 710 + 6 * cell, kRow, kRow + 24, kFace)) << "duty";
    EXPECT_TRUE(AllOf(880, 880 + 7 * cell, kRow, kRow + 24, kFace)) << "state";
    // The labels are transparent: no grey behind them.
    EXPECT_EQ(dc->GetPixel(60, kRow), kFace);

    // The paint left the value attributes: opaque grey.
    dlg->DrawState("Aborted");
    EXPECT_EQ(Extent(880), 7 * cell);
    EXPECT_EQ(dc->GetPixel(880 + 7 * cell - 1, kRow), kGrey);

    // The same icon drawn at the centre on the restored surface.
    const auto before = iconArea();
    {
        CClientDC icon(dlg.get());
        icon.DrawIcon(iconX, iconY, dlg->m_hIcon);
    }
    const auto drawn = iconArea();
    EXPECT_NE(drawn, before) << "the icon shows";
    EXPECT_EQ(minimised, drawn);
}

}  // namespace
