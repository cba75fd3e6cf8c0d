// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/pencil_tone.h"

#include <cmath>
#include <numbers>

namespace sketch {
namespace {

// The model of pencil tone: three layers with the shares below. Bright paper
// falls off from white over a few levels, mid tones are spread evenly, and
// the darkest graphite gathers around one deep grey.
constexpr double kBrightShare = 0.52, kMidShare = 0.40, kDarkShare = 0.08;
constexpr double kBrightSpread = 9.0;
constexpr double kMidLow = 105.0, kMidHigh = 225.0;
constexpr double kDarkMean = 80.0, kDarkSpread = 12.0;

// The model's cumulative distribution over the levels 0 to 255, ending at 1.
std::array<double, 256> ModelCdf() {
    std::array<double, 256> density{};
    double total = 0;
    for (int v = 0; v < 256; ++v) {
        const double bright = std::exp(-(255.0 - v) / kBrightSpread) / kBrightSpread;
        const double mid = (v >= kMidLow && v <= kMidHigh) ? 1.0 / (kMidHigh - kMidLow) : 0.0;
        const double z = (v - kDarkMean) / kDarkSpread;
        const double dark =
            std::exp(-0.5 * z * z) / (kDarkSpread * std::sqrt(2 * std::numbers::pi));
        density[size_t(v)] = kBrightShare * bright + kMidShare * mid + kDarkShare * dark;
        total += density[size_t(v)];
    }
    std::array<double, 256> cdf{};
    double sum = 0;
    for (size_t v = 0; v < 256; ++v) cdf[v] = (sum += density[v]) / total;
    cdf[255] = 1.0;
    return cdf;
}

}  // namespace

std::array<uint8_t, 256> PencilToneMap(const GreyHistogram& photo) {
    std::array<uint8_t, 256> map{};
    uint64_t pixels = 0;
    for (uint64_t n : photo) pixels += n;
    if (pixels == 0) {
        for (size_t v = 0; v < 256; ++v) map[v] = uint8_t(v);
        return map;
    }
    static const std::array<double, 256> model = ModelCdf();
    uint64_t below = 0;  // pixels up to and including the level
    size_t t = 0;
    for (size_t v = 0; v < 256; ++v) {
        below += photo[v];
        // The brightest level in use has the whole photo at or below it and
        // maps to 255 exactly, whatever rounding says.
        if (below == pixels) {
            map[v] = 255;
            continue;
        }
        const double share = double(below) / double(pixels);
        while (t < 255 && model[t] < share) ++t;
        map[v] = uint8_t(t);
    }
    return map;
}

}  // namespace sketch
