// The chart on the window's surface: grid, program curve, measured curves,
// replay of the history, and ranges at and beyond their limits.
#include <algorithm>
#include <chrono>
#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/fixture.h"

namespace {

constexpr COLORREF kBackground = RGB(250, 12, 220);
constexpr COLORREF kGrid = RGB(200, 200, 200);
constexpr COLORREF kProgram = RGB(30, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kAux = RGB(0, 0, 255);

class ChartTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        dc = dlg->m_pChartDC;
    }
    void Ranges(int timeMin, int timeMax, int tempMin, int tempMax) {
        dlg->m_nPlotTimeMin = timeMin;
        dlg->m_nPlotTimeMax = timeMax;
        dlg->m_nPlotTempMin = tempMin;
        dlg->m_nPlotTempMax = tempMax;
    }
    // Types the ranges into their edits, for a redraw to take.
    void TypeRanges(const char* timeMin, const char* timeMax, const char* tempMin, const char* tempMax) {
        Type(IDC_TIME_MIN, timeMin);
        Type(IDC_TIME_MAX, timeMax);
        Type(IDC_TEMP_MIN, tempMin);
        Type(IDC_TEMP_MAX, tempMax);
    }
    void Program(std::vector<std::pair<int, int>> segments) {  // {degrees, seconds} x 4
        dlg->m_nSeg1Temp = segments[0].first, dlg->m_nSeg1Time = segments[0].second;
        dlg->m_nSeg2Temp = segments[1].first, dlg->m_nSeg2Time = segments[1].second;
        dlg->m_nSeg3Temp = segments[2].first, dlg->m_nSeg3Time = segments[2].second;
        dlg->m_nSeg4Temp = segments[3].first, dlg->m_nSeg4Time = segments[3].second;
        dlg->UpdateData(FALSE);  // a redraw reads the form
    }
    // Every pixel of the drawing area (x 58..673, y 23..418) in `colour`.
    std::set<std::pair<int, int>> PixelsOf(COLORREF colour) const {
        std::set<std::pair<int, int>> p;
        for (int x = 58; x <= 673; ++x)
            for (int y = 23; y <= 418; ++y)
                if (dc->GetPixel(x, y) == colour) p.insert({x, y});
        return p;
    }
    CDC* dc = nullptr;
};

TEST_F(ChartTest, RedrawClearsTheFieldAndDrawsTheGrid) {
    Program({{0, 0}, {0, 0}, {0, 0}, {0, 0}});  // no program curve in the field
    dlg->PlotSample(-10000, 2000, 3000);        // a dot that the redraw wipes
    Click(IDC_REDRAW);
    std::set<int> columns, rows;
    for (int x = 58; x <= 672; ++x)
        for (int y = 23; y <= 418; ++y) {
            const COLORREF c = dc->GetPixel(x, y);
            ASSERT_TRUE(c == kBackground || c == kGrid) << x << "," << y;
            if (c == kGrid && y == 30) columns.insert(x);
            if (c == kGrid && x == 60) rows.insert(y);
        }
    EXPECT_EQ(columns,
              (std::set<int>{97, 137, 177, 217, 257, 297, 337, 377, 417, 457, 497, 537, 577, 617, 657}));
    EXPECT_EQ(rows, (std::set<int>{72, 122, 172, 222, 272, 322, 372}));
    // Nothing outside the cleared area is touched.
    for (int y = 20; y <= 421; ++y) {
        EXPECT_NE(dc->GetPixel(57, y), kBackground);
        EXPECT_NE(dc->GetPixel(673, y), kBackground);
    }
    for (int x = 55; x <= 676; ++x) {
        EXPECT_NE(dc->GetPixel(x, 22), kBackground);
        EXPECT_NE(dc->GetPixel(x, 419), kBackground);
    }
}

TEST_F(ChartTest, ColumnSixSeventyThreeSurvivesARedraw) {
    Program({{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    dlg->PlotSample(-10000, 2000, 3599);  // column 673
    dlg->PlotSample(-10000, 2000, 3594);  // column 672
    ASSERT_EQ(dc->GetPixel(672, 221), kAux);
    Click(IDC_REDRAW);
    EXPECT_EQ(dc->GetPixel(673, 221), kAux);
    EXPECT_EQ(dc->GetPixel(672, 221), kBackground);
}

TEST_F(ChartTest, RedrawTakesTheRangesFromTheForm) {
    TypeRanges("600", "0", "390", "10");  // both axes reversed
    Click(IDC_REDRAW);
    EXPECT_EQ(dlg->m_nPlotTimeMin, 600);
    EXPECT_EQ(dlg->m_nPlotTimeMax, 0);
    EXPECT_EQ(dlg->m_nPlotTempMin, 390);
    EXPECT_EQ(dlg->m_nPlotTempMax, 10);
    // Time 600 lies on column 58 and 300 on 366; 389 degrees on row 418.
    dlg->PlotSample(-10000, 3890, 600);
    dlg->PlotSample(-10000, 3890, 300);
    dlg->PlotSample(-10000, 3890, 0);  // column 674: not drawn
    EXPECT_EQ(PixelsOf(kAux), (std::set<std::pair<int, int>>{{58, 418}, {366, 418}}));

    // A value outside its check is kept, with the message, and the redraw goes on.
    TypeRanges("0", "3600", "10", "900");
    Click(IDC_REDRAW);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "Please enter an integer between -100 and 800.");
    EXPECT_EQ(dlg->m_nPlotTempMax, 900);
    EXPECT_EQ(dlg->m_nPlotTimeMin, 600) << "fields after the failed one keep their values";
    EXPECT_EQ(dc->GetPixel(366, 418), kBackground);
}

TEST_F(ChartTest, ProgramCurveCostsNoMoreForATimeMaximumLeftByAFailedCheck) {
    // 2000000000 fails its check and stays in the field; the redraw goes on.
    Type(IDC_TIME_MAX, "2000000000");
    const auto start = std::chrono::steady_clock::now();
    Click(IDC_REDRAW);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(dlg->m_nPlotTimeMax, 2000000000);
    EXPECT_LT(took, std::chrono::milliseconds(500));
    // The whole default program (50800 s) falls on column 58: four targets.
    EXPECT_EQ(PixelsOf(kProgram),
              (std::set<std::pair<int, int>>{{58, 33}, {58, 33 + 188}, {58, 33 + 84}, {58, 33 + 21}}));

    // The widest ranges an int allows, and extreme values: nothing undefined.
    Program({{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {0, INT_MAX}, {-1, INT_MIN}});
    Ranges(INT_MIN, INT_MAX, INT_MIN, INT_MAX);
    dlg->PlotProgram();
    for (int t : {INT_MIN, -1, 0, 1, INT_MAX}) dlg->PlotSample(INT_MAX, INT_MIN, t);
    // 0 lies half-way on both axes.
    dlg->m_bFirstPoint = 1;
    dlg->PlotSample(0, INT_MIN, 0);
    EXPECT_EQ(dc->GetPixel(58 + 308, 419 - 198), kBlack);
}

// A small grid of one pixel per second and per degree: x = 58 + t, y = 419 - T.
class SampleTest : public ChartTest {
protected:
    void SetUp() override {
        ChartTest::SetUp();
        Program({{0, 0}, {0, 0}, {0, 0}, {0, 0}});
        Type(IDC_TIME_MAX, "616");
        Type(IDC_TEMP_MIN, "0");
        Type(IDC_TEMP_MAX, "397");
        dlg->m_nTickCount = 0;
        Click(IDC_REDRAW);
    }
};

TEST_F(SampleTest, MainLineLeavesTheFieldAndComesBackAsOneStraightLine) {
    // {t, main degrees, aux degrees}; 500 and 600 lie above the field.
    const int samples[][3] = {{10, 100, 50}, {11, 500, 600}, {12, 500, 600}, {13, 103, 50}, {14, 103, 50}};
    for (const auto& s : samples) dlg->PlotSample(s[1] * 10, s[2] * 10, s[0]);
    EXPECT_EQ(PixelsOf(kBlack), (std::set<std::pair<int, int>>{{68, 319}, {69, 318}, {70, 317}, {71, 316}}));
    EXPECT_EQ(PixelsOf(kAux), (std::set<std::pair<int, int>>{{68, 369}, {71, 369}, {72, 369}}));
    EXPECT_EQ(dlg->m_bFirstPoint, 0);
}

TEST_F(SampleTest, FirstPointStartsALineAndOutOfTimeSamplesDoNotLiftThePen) {
    EXPECT_EQ(dlg->m_bFirstPoint, 1);
    dlg->PlotSample(1000, -10000, 10);  // (68, 319): the black first pixel
    EXPECT_EQ(PixelsOf(kBlack), (std::set<std::pair<int, int>>{{68, 319}}));
    EXPECT_EQ(dlg->m_bFirstPoint, 0);
    dlg->PlotSample(2000, 2000, -5);   // column 53: nothing, the pen stays down
    dlg->PlotSample(2000, 2000, 700);  // column 758: nothing
    EXPECT_EQ(PixelsOf(kAux).size(), 0u);
    dlg->PlotSample(1000, -10000, 13);
    EXPECT_EQ(PixelsOf(kBlack), (std::set<std::pair<int, int>>{{68, 319}, {69, 319}, {70, 319}}));

    // Halves of a degree go up: 1005 tenths is 101 degrees, 1004 is 100.
    dlg->m_bFirstPoint = 1;
    dlg->PlotSample(1005, 1004, 30);
    EXPECT_EQ(dc->GetPixel(88, 318), kBlack);
    EXPECT_EQ(dc->GetPixel(88, 319), kAux);
}

TEST_F(SampleTest, ReplayPutsEntriesAtTheirProgramSeconds) {
    // Entry i carries aux degrees 100 + i, so its dot's row names it.
    for (int i = 0; i < 201; ++i) dlg->m_aHistory[i] = HistoryEntry{-10000, (100 + i % 250) * 10};
    dlg->m_nTickCount = 201;
    Click(IDC_REDRAW);
    const std::pair<int, int> entries[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3},
                                           {4, 4}, {5, 5}, {6, 7}, {200, 237}};
    for (auto [i, second] : entries) EXPECT_EQ(dc->GetPixel(58 + second, 319 - i), kAux) << "entry " << i;
    EXPECT_NE(dc->GetPixel(58 + 6, 319 - 6), kAux) << "second 6 is never taken";
    EXPECT_EQ(PixelsOf(kAux).size(), 201u);
    EXPECT_EQ(dlg->m_bFirstPoint, 1) << "no main point was visible";

    // The replay continues the line of the run: the last main point is the pen's place.
    for (int i = 0; i < 3; ++i) dlg->m_aHistory[i] = HistoryEntry{1000, -10000};
    dlg->m_nTickCount = 3;
    Click(IDC_REDRAW);
    EXPECT_EQ(PixelsOf(kBlack), (std::set<std::pair<int, int>>{{58, 319}, {59, 319}}));
    EXPECT_EQ(dlg->m_bFirstPoint, 0);
    dlg->PlotSample(1000, -10000, 3);
    EXPECT_EQ(dc->GetPixel(60, 319), kBlack);
}

TEST_F(SampleTest, EmptyRangesPutEveryPointOnColumnFiftyEightOrNowhere) {
    Ranges(500, 500, 0, 397);
    dlg->PlotSample(1000, 2000, 0);
    dlg->PlotSample(1000, 2000, 100000);
    EXPECT_EQ(PixelsOf(kAux), (std::set<std::pair<int, int>>{{58, 219}}));
    Ranges(0, 616, 200, 200);  // every temperature on row 419: nothing
    dlg->m_bFirstPoint = 1;
    dlg->PlotSample(1000, 3000, 300);
    EXPECT_EQ(PixelsOf(kAux).size(), 1u);
    EXPECT_EQ(dlg->m_bFirstPoint, 1);
}

}  // namespace
