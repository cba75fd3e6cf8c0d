// SPDX-License-Identifier: GPL-3.0-or-later
#include "sketch/pencil_texture.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace sketch {
namespace {

constexpr int kSide = kPencilTextureSide;
constexpr uint64_t kSeed = 0x5eed'57a4'e1c0'ffeeull;
// Hatching comes in groups of short parallel strokes, as a hand lays it; a
// few groups cross the others for the densest tones.
constexpr int kGroups = 1500;
constexpr double kCrossShare = 0.2;
// Hatching leans this far from the horizontal, with a little scatter per stroke.
constexpr double kStrokeAngle = 52.0 * std::numbers::pi / 180.0;
constexpr double kAngleScatter = 9.0 * std::numbers::pi / 180.0;
// The reach, in pixels, over which the graphite is evened out.
constexpr double kEvenSigma = 2.0;

// splitmix64: small, fast and the same on every platform, unlike the standard
// library's distributions.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi).
    double Uniform(double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
    }

private:
    uint64_t state_;
};

int Wrap(int v) {
    return v & (kSide - 1);
}

// Lays one stroke into `paper` (1 = white): graphite along a slightly bowed
// line from (cx, cy) in direction (dx, dy), heaviest in the middle and fading
// at both ends as the pencil lands and lifts, with a soft edge to either side.
void LayStroke(std::vector<float>& paper, Random& random, double cx, double cy, double dx,
               double dy, double length, double strength) {
    const double bow = random.Uniform(-0.006, 0.006);  // offset per squared pixel
    const double px = -dy, py = dx;                    // across the stroke
    static constexpr double kAcross[] = {-1.0, -0.5, 0.0, 0.5, 1.0};
    static constexpr double kCover[] = {0.15, 0.55, 1.0, 0.55, 0.15};
    for (double t = -length / 2; t <= length / 2; t += 0.7) {
        const double u = (t + length / 2) / length;  // 0 to 1 along the stroke
        const double pressure = std::sqrt(std::sin(std::numbers::pi * u));
        const double offset = bow * t * t;
        for (size_t k = 0; k < std::size(kAcross); ++k) {
            const double across = kAcross[k] + offset;
            const int x = Wrap(static_cast<int>(std::lround(cx + t * dx + across * px)));
            const int y = Wrap(static_cast<int>(std::lround(cy + t * dy + across * py)));
            float& p = paper[static_cast<size_t>(y) * kSide + static_cast<size_t>(x)];
            p *= static_cast<float>(1.0 - 0.5 * strength * pressure * kCover[k]);
        }
    }
}

// A group of 3 to 7 parallel strokes of about the same length, side by side.
void LayHatchGroup(std::vector<float>& paper, Random& random) {
    const double cx = random.Uniform(0, kSide), cy = random.Uniform(0, kSide);
    const bool cross = random.Uniform(0, 1) < kCrossShare;
    const double angle = (cross ? kStrokeAngle - std::numbers::pi / 2.4 : kStrokeAngle) +
                         random.Uniform(-kAngleScatter, kAngleScatter);
    const double dx = std::cos(angle), dy = std::sin(angle);
    const double length = random.Uniform(10, 30);
    const double spacing = random.Uniform(1.6, 2.8);
    const double strength = random.Uniform(0.12, 0.30);
    const int strokes = 3 + static_cast<int>(random.Next() % 5);
    for (int i = 0; i < strokes; ++i) {
        const double across = (i - (strokes - 1) / 2.0) * spacing;
        const double along = random.Uniform(-2.5, 2.5);
        LayStroke(paper, random, cx - dy * across + dx * along, cy + dx * across + dy * along, dx,
                  dy, length * random.Uniform(0.8, 1.15), strength * random.Uniform(0.8, 1.2));
    }
}

// Evens out the graphite: each texel's darkness divided by the mean darkness
// around it and scaled back to the tile's mean, so that no patch of the tile
// is darker than another and only the hatching's density carries tone.
// Darkness is capped below full black, so a second round settles what the cap
// left uneven.
void EvenOut(std::vector<float>& paper) {
    constexpr double kSigma = kEvenSigma;
    for (int round = 0; round < 2; ++round) {
        std::vector<float> dark(paper.size());
        double mean = 0;
        for (size_t i = 0; i < paper.size(); ++i) mean += dark[i] = 1.0f - paper[i];
        mean /= double(paper.size());
        const std::vector<float> local = WrappedLocalMean(dark, kSigma);
        for (size_t i = 0; i < paper.size(); ++i) {
            const double d = dark[i] * mean / std::max(double(local[i]), 1e-3);
            paper[i] = static_cast<float>(1.0 - std::min(d, 0.96));
        }
    }
}

}  // namespace

PencilTexture MakePencilTexture() {
    Random random(kSeed);
    std::vector<float> paper(size_t{kSide} * kSide, 1.0f);
    for (int g = 0; g < kGroups; ++g) LayHatchGroup(paper, random);
    EvenOut(paper);
    // Paper grain: fine noise, a little stronger across the strokes' direction
    // so that it reads as the tooth of the paper catching graphite.
    PencilTexture texture{};
    for (size_t i = 0; i < paper.size(); ++i) {
        const double grain = 1.0 - 0.07 * random.Uniform(0, 1);
        const double v = 255.0 * paper[i] * grain;
        texture.tone[i] = static_cast<uint8_t>(std::clamp(std::lround(v), 1l, 255l));
    }
    return texture;
}

std::vector<float> WrappedLocalMean(const std::vector<float>& v, double sigma) {
    const int radius = static_cast<int>(std::ceil(3 * sigma));
    std::vector<float> weights(static_cast<size_t>(2 * radius + 1));
    float total = 0;
    for (int i = -radius; i <= radius; ++i)
        total += weights[size_t(i + radius)] = float(std::exp(-0.5 * i * i / (sigma * sigma)));
    for (float& w : weights) w /= total;
    std::vector<float> rows(v.size()), out(v.size());
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            float sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += weights[size_t(i + radius)] * v[size_t(y) * kSide + size_t(Wrap(x + i))];
            rows[size_t(y) * kSide + size_t(x)] = sum;
        }
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            float sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += weights[size_t(i + radius)] * rows[size_t(Wrap(y + i)) * kSide + size_t(x)];
            out[size_t(y) * kSide + size_t(x)] = sum;
        }
    return out;
}

const PencilTexture& SharedPencilTexture() {
    static const PencilTexture texture = MakePencilTexture();
    return texture;
}

}  // namespace sketch
