#include "platform/rect.h"

#include <algorithm>

namespace scrimble {
namespace {

// The edges of the areas that fall inside [low, high], with both ends, in order.
template <typename Edges>
std::vector<std::int32_t> Cuts(std::int32_t low, std::int32_t high, const std::vector<Rect32>& areas, Edges edges) {
    std::vector<std::int32_t> cuts{low, high};
    for (const Rect32& area : areas) {
        for (const std::int32_t edge : edges(area)) {
            if (edge > low && edge < high) cuts.push_back(edge);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    return cuts;
}

}  // namespace

Rect32 Intersection(const Rect32& a, const Rect32& b) {
    return Rect32{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
}

bool OverlapsAny(const Rect32& rect, const std::vector<Rect32>& areas) {
    return std::any_of(areas.begin(), areas.end(), [&](const Rect32& area) { return !Intersection(rect, area).Empty(); });
}

std::vector<Rect32> UncoveredParts(const Rect32& box, const std::vector<Rect32>& areas) {
    std::vector<Rect32> parts;
    if (box.Empty()) return parts;
    // Every edge cuts the box into cells that an area covers whole or not at
    // all; uncovered neighbours in a row join into one rectangle.
    const auto xs = Cuts(box.left, box.right, areas, [](const Rect32& r) { return std::vector{r.left, r.right}; });
    const auto ys = Cuts(box.top, box.bottom, areas, [](const Rect32& r) { return std::vector{r.top, r.bottom}; });
    for (size_t row = 0; row + 1 < ys.size(); ++row) {
        for (size_t column = 0; column + 1 < xs.size(); ++column) {
            const Rect32 cell{xs[column], ys[row], xs[column + 1], ys[row + 1]};
            if (OverlapsAny(cell, areas)) continue;
            if (!parts.empty() && parts.back().top == cell.top && parts.back().right == cell.left) {
                parts.back().right = cell.right;
            } else {
                parts.push_back(cell);
            }
        }
    }
    return parts;
}

}  // namespace scrimble
