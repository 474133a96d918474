// The line rasteriser against lines worked out by hand: every octant, ties,
// the left-out end pixel, chained lines and lines reaching far off the surface.
#include <algorithm>
#include <climits>
#include <set>
#include <utility>
#include <vector>

#include "support/fixture.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

class LineTest : public test::MainWindowTest {
protected:
    // A white box with its top left at (100, 100), where the lines are drawn.
    static constexpr int kOx = 100, kOy = 100, kSize = 40;

    void SetUp() override {
        MainWindowTest::SetUp();
        dc = dlg->m_pChartDC;
        ClearBox();
    }
    void ClearBox() {
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) dc->SetPixel(kOx + x, kOy + y, kWhite);
    }
    // The black pixels of the box, relative to its corner.
    Pixels Black() const {
        Pixels p;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                if (dc->GetPixel(kOx + x, kOy + y) == kBlack) p.insert({x, y});
        return p;
    }
    void Line(int x0, int y0, int x1, int y1) {
        dc->MoveTo(kOx + x0, kOy + y0);
        dc->LineTo(kOx + x1, kOy + y1);
    }
    CDC* dc = nullptr;
};

struct HandLine {
    const char* what;
    int x0, y0, x1, y1;
    Pixels expected;
};

TEST_F(LineTest, DrawsTheHandWorkedPixels) {
    // Coordinates offset by 10 so that every line stays inside the box.
    const HandLine lines[] = {
        {"horizontal right", 10, 10, 14, 10, {{10, 10}, {11, 10}, {12, 10}, {13, 10}}},
        {"horizontal left", 14, 10, 10, 10, {{14, 10}, {13, 10}, {12, 10}, {11, 10}}},
        {"vertical down", 10, 10, 10, 13, {{10, 10}, {10, 11}, {10, 12}}},
        {"vertical up", 10, 13, 10, 10, {{10, 13}, {10, 12}, {10, 11}}},
        {"one pixel right", 10, 10, 11, 10, {{10, 10}}},
        {"one pixel up", 10, 10, 10, 9, {{10, 10}}},
        {"one pixel diagonal", 10, 10, 9, 11, {{10, 10}}},
        {"no length", 10, 10, 10, 10, {}},
        {"diagonal down right", 10, 10, 13, 13, {{10, 10}, {11, 11}, {12, 12}}},
        {"diagonal up left", 13, 13, 10, 10, {{13, 13}, {12, 12}, {11, 11}}},
        {"diagonal down left", 13, 10, 10, 13, {{13, 10}, {12, 11}, {11, 12}}},
        {"diagonal up right", 10, 13, 13, 10, {{10, 13}, {11, 12}, {12, 11}}},
        {"shallow, no tie", 10, 10, 15, 12, {{10, 10}, {11, 10}, {12, 11}, {13, 11}, {14, 12}}},
        {"steep, no tie", 10, 10, 12, 15, {{10, 10}, {10, 11}, {11, 12}, {11, 13}, {12, 14}}},
        // Slopes of 1/4 pass midway between two pixels at the middle step:
        // the tie goes to the smaller minor coordinate in every octant.
        {"right, down (x-major)", 10, 10, 14, 11, {{10, 10}, {11, 10}, {12, 10}, {13, 11}}},
        {"left, up (x-major)", 14, 11, 10, 10, {{14, 11}, {13, 11}, {12, 10}, {11, 10}}},
        {"left, down (x-major)", 14, 10, 10, 11, {{14, 10}, {13, 10}, {12, 10}, {11, 11}}},
        {"right, up (x-major)", 10, 11, 14, 10, {{10, 11}, {11, 11}, {12, 10}, {13, 10}}},
        {"down, right (y-major)", 10, 10, 11, 14, {{10, 10}, {10, 11}, {10, 12}, {11, 13}}},
        {"up, left (y-major)", 11, 14, 10, 10, {{11, 14}, {11, 13}, {10, 12}, {10, 11}}},
        {"down, left (y-major)", 11, 10, 10, 14, {{11, 10}, {11, 11}, {10, 12}, {10, 13}}},
        {"up, right (y-major)", 10, 14, 11, 10, {{10, 14}, {10, 13}, {10, 12}, {11, 11}}},
    };
    for (const HandLine& l : lines) {
        ClearBox();
        Line(l.x0, l.y0, l.x1, l.y1);
        EXPECT_EQ(Black(), l.expected) << l.what;
    }
}

TEST_F(LineTest, ChainedLinesStartWhereTheLastOneStopped) {
    Line(10, 10, 13, 10);
    dc->LineTo(kOx + 13, kOy + 13);
    dc->LineTo(kOx + 10, kOy + 13);
    const Pixels expected{{10, 10}, {11, 10}, {12, 10}, {13, 10}, {13, 11},
                          {13, 12}, {13, 13}, {12, 13}, {11, 13}};
    EXPECT_EQ(Black(), expected);
    const CPoint at = dc->MoveTo(0, 0);
    EXPECT_EQ(at.x, kOx + 10);
    EXPECT_EQ(at.y, kOy + 13);
}

TEST_F(LineTest, LinesFromFarOffTheSurfaceLightOnlyTheirPixelsOnIt) {
    // A steep line entering from above: x = 5 + i/10 rounded, ties to the left.
    Line(5, -10, 7, 10);
    Pixels expected;
    for (int y = 0; y <= 5; ++y) expected.insert({6, y});
    for (int y = 6; y <= 9; ++y) expected.insert({7, y});
    EXPECT_EQ(Black(), expected);

    // Backwards the same pixels, and now the start pixel (7, 10) too.
    ClearBox();
    Line(7, 10, 5, -10);
    expected.insert({7, 10});
    EXPECT_EQ(Black(), expected);

    // The widest lines an int allows, across the whole surface.
    ClearBox();
    dc->MoveTo(INT_MIN, kOy + 3);
    dc->LineTo(INT_MAX, kOy + 3);
    for (int x = 0; x < kSize; ++x) EXPECT_EQ(dc->GetPixel(kOx + x, kOy + 3), kBlack) << x;
    EXPECT_EQ(dc->GetPixel(0, kOy + 3), kBlack);
    EXPECT_EQ(dc->GetPixel(1011, kOy + 3), kBlack);

    ClearBox();
    dc->MoveTo(INT_MIN, INT_MIN);
    dc->LineTo(INT_MAX, INT_MAX);  // through (n, n), one pixel per column
    Pixels diagonal;
    for (int i = 0; i < kSize; ++i) diagonal.insert({i, i});
    EXPECT_EQ(Black(), diagonal);
}

}  // namespace
