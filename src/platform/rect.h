// Rectangles in screen pixels (a Windows RECT: right and bottom outside), and
// the little geometry that the capture and the window's place need of them.
#pragma once

#include <cstdint>
#include <vector>

namespace scrimble {

struct Rect32 {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    bool Empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect32& a, const Rect32& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

// The part that lies in both; Empty() when none does.
Rect32 Intersection(const Rect32& a, const Rect32& b);

// Whether some of `rect` lies in one of `areas`.
bool OverlapsAny(const Rect32& rect, const std::vector<Rect32>& areas);

// The parts of `box` that none of `areas` covers, as rectangles that do not
// overlap, row by row from the top, left to right in a row. On a desktop of
// monitors with different sizes, the corners of the bounding box that no
// monitor shows.
std::vector<Rect32> UncoveredParts(const Rect32& box, const std::vector<Rect32>& areas);

}  // namespace scrimble
