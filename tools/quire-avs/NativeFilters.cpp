#include "NativeFilters.h"

#include <algorithm>
#include <cstring>

namespace quire::avs {

void undotPlane(const std::uint8_t* in, std::uint8_t* out, int width, int height) {
    std::memcpy(out, in, static_cast<std::size_t>(width) * height);
    if (width < 3 || height < 3)
        return;
    for (int y = 1; y < height - 1; ++y) {
        const std::uint8_t* up = in + static_cast<std::ptrdiff_t>(y - 1) * width;
        const std::uint8_t* row = up + width;
        const std::uint8_t* down = row + width;
        std::uint8_t* o = out + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = 1; x < width - 1; ++x) {
            const std::uint8_t lo =
                std::min({up[x - 1], up[x], up[x + 1], row[x - 1], row[x + 1], down[x - 1], down[x], down[x + 1]});
            const std::uint8_t hi =
                std::max({up[x - 1], up[x], up[x + 1], row[x - 1], row[x + 1], down[x - 1], down[x], down[x + 1]});
            o[x] = std::clamp(row[x], lo, hi);
        }
    }
}

namespace {

inline std::uint8_t roundedMean(int sum, int n) {
    return static_cast<std::uint8_t>((2 * sum + n) / (2 * n));
}

// One sample with edge repetition; used near the borders.
std::uint8_t deenEdgeSample(const std::uint8_t* in, int width, int height, int x, int y, int radius, int threshold) {
    const int c = in[static_cast<std::ptrdiff_t>(y) * width + x];
    int sum = c, n = 1;
    for (int dy = -radius; dy <= radius; ++dy) {
        const int yy = std::clamp(y + dy, 0, height - 1);
        for (int dx = -radius; dx <= radius; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            const int q = in[static_cast<std::ptrdiff_t>(yy) * width + std::clamp(x + dx, 0, width - 1)];
            const int d = q - c;
            if (d < threshold && -d < threshold) {
                sum += q;
                ++n;
            }
        }
    }
    return roundedMean(sum, n);
}

// Rounded means for radius 1 (at most 9 samples), looked up instead of divided: index n * 2296 + sum.
const std::vector<std::uint8_t>& radiusOneMeans() {
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> t(10 * 2296);
        for (int n = 1; n <= 9; ++n)
            for (int sum = 0; sum <= 255 * n; ++sum)
                t[static_cast<std::size_t>(n * 2296 + sum)] = roundedMean(sum, n);
        return t;
    }();
    return table;
}

} // namespace

void deenPlane(const std::uint8_t* in, std::uint8_t* out, int width, int height, int radius, int threshold) {
    for (int y = 0; y < height; ++y) {
        std::uint8_t* o = out + static_cast<std::ptrdiff_t>(y) * width;
        const bool innerRow = y >= radius && y < height - radius;
        if (!innerRow || width <= 2 * radius) {
            for (int x = 0; x < width; ++x)
                o[x] = deenEdgeSample(in, width, height, x, y, radius, threshold);
            continue;
        }
        for (int x = 0; x < radius; ++x)
            o[x] = deenEdgeSample(in, width, height, x, y, radius, threshold);
        for (int x = width - radius; x < width; ++x)
            o[x] = deenEdgeSample(in, width, height, x, y, radius, threshold);
        const std::uint8_t* centre = in + static_cast<std::ptrdiff_t>(y) * width;
        if (radius == 1) {
            // Row at a time over the eight neighbour rows, so that the compiler can vectorise it.
            const std::uint8_t* means = radiusOneMeans().data();
            thread_local std::vector<std::uint16_t> sums, counts;
            sums.assign(centre, centre + width);
            counts.assign(static_cast<std::size_t>(width), 1);
            std::uint16_t* sum = sums.data();
            std::uint16_t* count = counts.data();
            const std::ptrdiff_t offsets[8] = {-width - 1, -width, -width + 1, -1, 1, width - 1, width, width + 1};
            for (const std::ptrdiff_t off : offsets) {
                const std::uint8_t* q = centre + off;
                for (int x = 1; x < width - 1; ++x) {
                    const int d = q[x] - centre[x];
                    const std::uint16_t take = (d < threshold && -d < threshold) ? 1 : 0;
                    sum[x] = static_cast<std::uint16_t>(sum[x] + (take ? q[x] : 0));
                    count[x] = static_cast<std::uint16_t>(count[x] + take);
                }
            }
            for (int x = 1; x < width - 1; ++x)
                o[x] = means[count[x] * 2296 + sum[x]];
            continue;
        }
        for (int x = radius; x < width - radius; ++x) {
            const int c = centre[x];
            int sum = 0, n = 0; // the centre itself passes the test once (difference 0)
            for (int dy = -radius; dy <= radius; ++dy) {
                const std::uint8_t* r = centre + static_cast<std::ptrdiff_t>(dy) * width + x;
                for (int dx = -radius; dx <= radius; ++dx) {
                    const int v = r[dx];
                    const int take = (v - c < threshold && c - v < threshold) ? 1 : 0;
                    sum += take * v;
                    n += take;
                }
            }
            if (threshold <= 0) { // nothing is below a threshold of 0, the centre included
                sum = c;
                n = 1;
            }
            o[x] = roundedMean(sum, n);
        }
    }
}

} // namespace quire::avs
