// The four-segment temperature program: a target held within each segment,
// stepping at the boundaries, 0 past the end.
#include "app/PyrelleDlg.h"

namespace {

// Where t falls: the segment (1 to 4, 0 past the end) and that segment's
// start. The first test that holds decides, so a segment of zero or negative
// duration can be skipped. The boundary sums are taken in 64 bits: durations
// near the int limits must not overflow, and for sums that fit nothing changes.
struct Place {
    int segment;
    long long start;
};

Place Locate(int t, const int (&durations)[4]) {
    long long start = 0;
    for (int k = 0; k < 4; ++k) {
        const long long end = start + durations[k];
        if (t < end) return Place{k + 1, start};
        start = end;
    }
    return Place{0, 0};
}

}  // namespace

int CPyrelleDlg::SegmentTargetTemp(int t) {
    const int durations[4] = {m_nSeg1Time, m_nSeg2Time, m_nSeg3Time, m_nSeg4Time};
    switch (Locate(t, durations).segment) {
        case 1:
            return m_nSeg1Temp;
        case 2:
            return m_nSeg2Temp;
        case 3:
            return m_nSeg3Temp;
        case 4:
            return m_nSeg4Temp;
        default:
            return 0;
    }
}

int CPyrelleDlg::SegmentTime(int t) {
    const int durations[4] = {m_nSeg1Time, m_nSeg2Time, m_nSeg3Time, m_nSeg4Time};
    const Place place = Locate(t, durations);
    if (place.segment == 0) return 0;
    // Always fits: a later segment is chosen only from its start on, and t
    // lies below its end, at most INT_MAX past the start.
    return static_cast<int>(t - place.start);
}
