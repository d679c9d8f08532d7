#include "platform/region_geometry.h"

#include <algorithm>
#include <limits>

namespace scrimble {
namespace {

std::int32_t Clamped(std::int64_t value, std::int32_t low, std::int32_t high) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, low, std::max(low, high)));
}

bool Holds(const Rect32& rect, Point32 point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

std::int64_t DistanceSquared(const Rect32& rect, Point32 point) {
    const std::int64_t dx = point.x < rect.left ? rect.left - point.x : point.x >= rect.right ? point.x - rect.right + 1 : 0;
    const std::int64_t dy = point.y < rect.top ? rect.top - point.y : point.y >= rect.bottom ? point.y - rect.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

Rect32 Square(std::int64_t left, std::int64_t top, std::int32_t size) {
    return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(left + size),
            static_cast<std::int32_t>(top + size)};
}

}  // namespace

Rect32 SelectionBetween(Point32 press, Point32 release, const Rect32& screen) {
    const Rect32 between{std::min(press.x, release.x), std::min(press.y, release.y), std::max(press.x, release.x),
                         std::max(press.y, release.y)};
    return Intersection(between, screen);
}

Point32 Nudged(Point32 pointer, int dx, int dy, bool tenPixels, const Rect32& screen) {
    const int step = tenPixels ? 10 : 1;
    return {Clamped(std::int64_t{pointer.x} + dx * step, screen.left, screen.right - 1),
            Clamped(std::int64_t{pointer.y} + dy * step, screen.top, screen.bottom - 1)};
}

Rect32 MonitorAt(Point32 point, const std::vector<Rect32>& monitors, const Rect32& screen) {
    if (monitors.empty()) return screen;
    return *std::min_element(monitors.begin(), monitors.end(), [&](const Rect32& a, const Rect32& b) {
        return DistanceSquared(a, point) < DistanceSquared(b, point);
    });
}

Rect32 MagnifierPlace(Point32 pointer, std::int32_t size, const Rect32& monitor, const Rect32& selection) {
    const std::int64_t right = std::int64_t{pointer.x} + kMagnifierGap;
    const std::int64_t below = std::int64_t{pointer.y} + kMagnifierGap;
    const std::int64_t left = std::int64_t{pointer.x} - kMagnifierGap - size;
    const std::int64_t above = std::int64_t{pointer.y} - kMagnifierGap - size;
    const bool fitsRight = right + size <= monitor.right;
    const bool fitsBelow = below + size <= monitor.bottom;
    // Below right by choice, else the sides that stay on the monitor; then
    // the first of those four that leaves the selection in view.
    const Rect32 candidates[] = {
        Square(fitsRight ? right : left, fitsBelow ? below : above, size),
        Square(fitsRight ? left : right, fitsBelow ? below : above, size),
        Square(fitsRight ? right : left, fitsBelow ? above : below, size),
        Square(fitsRight ? left : right, fitsBelow ? above : below, size),
    };
    Rect32 chosen = candidates[0];
    for (const Rect32& candidate : candidates) {
        const bool onMonitor = candidate.left >= monitor.left && candidate.top >= monitor.top &&
                               candidate.right <= monitor.right && candidate.bottom <= monitor.bottom;
        if (onMonitor && Intersection(candidate, selection).Empty()) {
            chosen = candidate;
            break;
        }
    }
    // Whole on the monitor, whatever the pointer's place.
    const std::int32_t x = Clamped(chosen.left, monitor.left, monitor.right - size);
    const std::int32_t y = Clamped(chosen.top, monitor.top, monitor.bottom - size);
    return Square(x, y, size);
}

Rect32 FrameAt(Point32 point, const std::vector<Rect32>& framesFrontFirst) {
    for (const Rect32& frame : framesFrontFirst) {
        if (Holds(frame, point)) return frame;
    }
    return Rect32{};
}

std::wstring SizeReadout(const Rect32& selection) {
    return std::to_wstring(std::int64_t{selection.right} - selection.left) + L" \u00D7 " +
           std::to_wstring(std::int64_t{selection.bottom} - selection.top);
}

std::wstring PointReadout(Point32 pointer) { return std::to_wstring(pointer.x) + L", " + std::to_wstring(pointer.y); }

std::optional<Rect32> RegionOnScreen(const Rect32& region, const Rect32& screen) {
    const Rect32 shown = Intersection(region, screen);
    if (shown.Empty()) return std::nullopt;
    return shown;
}

std::wstring RegionText(const Rect32& region) {
    return std::to_wstring(region.left) + L"," + std::to_wstring(region.top) + L"," + std::to_wstring(region.right) +
           L"," + std::to_wstring(region.bottom);
}

std::optional<Rect32> ParseRegion(const std::wstring& text) {
    // Four whole numbers, a minus sign allowed, nothing else around them.
    std::int64_t values[4] = {};
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && (at >= text.size() || text[at++] != L',')) return std::nullopt;
        const bool negative = at < text.size() && text[at] == L'-';
        if (negative) ++at;
        const size_t digits = at;
        std::int64_t value = 0;
        while (at < text.size() && text[at] >= L'0' && text[at] <= L'9' && value <= std::numeric_limits<std::int32_t>::max()) {
            value = value * 10 + (text[at++] - L'0');
        }
        if (at == digits || value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0)) {
            return std::nullopt;
        }
        values[i] = negative ? -value : value;
    }
    if (at != text.size()) return std::nullopt;
    const Rect32 region{static_cast<std::int32_t>(values[0]), static_cast<std::int32_t>(values[1]),
                        static_cast<std::int32_t>(values[2]), static_cast<std::int32_t>(values[3])};
    if (region.Empty()) return std::nullopt;
    return region;
}

}  // namespace scrimble
