// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/codecs/reduce_depth.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "imaging/engine/codecs/save_depth.h"
#include "imaging/engine/status_codes.h"

namespace pix {
namespace {

struct Rgb {
    int r, g, b;
};

Rgb PixelAt(const PixBitmap& b, const uint8_t* row, int32_t x) {
    if (b.BitsPerPixel == 24) return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    const uint8_t i = row[x];
    if (!b.Palette) return {i, i, i};
    const RGBQUAD& c = b.Palette[i];
    return {c.rgbRed, c.rgbGreen, c.rgbBlue};
}

uint32_t Key24(const Rgb& c) {
    return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
}

// The picture's distinct colours in first-seen order, or empty when there are
// more than `limit`.
std::vector<uint32_t> FewColours(const PixBitmap& b, size_t limit) {
    std::unordered_map<uint32_t, uint16_t> seen;
    std::vector<uint32_t> order;
    for (int32_t y = 0; y < b.Height; ++y) {
        const uint8_t* row = PixRow(b, y);
        for (int32_t x = 0; x < b.Width; ++x) {
            const uint32_t k = Key24(PixelAt(b, row, x));
            if (seen.emplace(k, uint16_t(order.size())).second) {
                if (order.size() == limit) return {};
                order.push_back(k);
            }
        }
    }
    return order;
}

// Median cut over a histogram of 5 bits per channel: the box with the widest
// channel range (weighted by its pixels) is split at its pixel median until
// there are `count` boxes; each palette entry is the mean of its box's pixels.
class MedianCut {
public:
    explicit MedianCut(const PixBitmap& b) : count_(kBuckets), sum_(kBuckets) {
        for (int32_t y = 0; y < b.Height; ++y) {
            const uint8_t* row = PixRow(b, y);
            for (int32_t x = 0; x < b.Width; ++x) {
                const Rgb c = PixelAt(b, row, x);
                const uint32_t k = Bucket(c);
                ++count_[k];
                sum_[k][0] += uint64_t(c.r);
                sum_[k][1] += uint64_t(c.g);
                sum_[k][2] += uint64_t(c.b);
            }
        }
        for (uint32_t k = 0; k < kBuckets; ++k)
            if (count_[k]) keys_.push_back(k);
    }

    std::vector<Rgb> Palette(size_t count) {
        std::vector<Box> boxes{Box{0, keys_.size()}};
        while (boxes.size() < count) {
            size_t best = boxes.size();
            uint64_t bestScore = 0;
            for (size_t i = 0; i < boxes.size(); ++i) {
                Measure(&boxes[i]);
                const uint64_t score = uint64_t(boxes[i].range) * boxes[i].pixels;
                if (boxes[i].end - boxes[i].begin > 1 && score > bestScore) {
                    best = i;
                    bestScore = score;
                }
            }
            if (best == boxes.size()) break;
            const Box box = boxes[best];
            auto first = keys_.begin() + ptrdiff_t(box.begin);
            auto last = keys_.begin() + ptrdiff_t(box.end);
            const int shift = 10 - 5 * box.axis;
            std::sort(first, last, [shift](uint32_t a, uint32_t b) {
                return ((a >> shift) & 31) < ((b >> shift) & 31);
            });
            // The first box keeps [begin, cut): the keys up to the one that
            // reaches half of the pixels, and never all of them.
            uint64_t half = 0;
            size_t cut = box.begin;
            while ((half += count_[keys_[cut]]) * 2 < box.pixels) ++cut;
            cut = std::min(cut + 1, box.end - 1);
            boxes[best] = Box{box.begin, cut};
            boxes.push_back(Box{cut, box.end});
        }
        std::vector<Rgb> palette;
        for (const Box& box : boxes) {
            uint64_t s[3] = {0, 0, 0};
            uint64_t n = 0;
            for (size_t i = box.begin; i < box.end; ++i) {
                for (int c = 0; c < 3; ++c) s[c] += sum_[keys_[i]][c];
                n += count_[keys_[i]];
            }
            palette.push_back(
                {int((s[0] + n / 2) / n), int((s[1] + n / 2) / n), int((s[2] + n / 2) / n)});
        }
        return palette;
    }

private:
    static constexpr uint32_t kBuckets = 1u << 15;
    struct Box {
        size_t begin, end;
        uint64_t pixels = 0;
        int axis = 0;
        int range = 0;
    };
    static uint32_t Bucket(const Rgb& c) {
        return uint32_t(c.r >> 3) << 10 | uint32_t(c.g >> 3) << 5 | uint32_t(c.b >> 3);
    }
    void Measure(Box* box) const {
        int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
        box->pixels = 0;
        for (size_t i = box->begin; i < box->end; ++i) {
            const uint32_t k = keys_[i];
            const int v[3] = {int(k >> 10) & 31, int(k >> 5) & 31, int(k) & 31};
            for (int c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], v[c]);
                hi[c] = std::max(hi[c], v[c]);
            }
            box->pixels += count_[k];
        }
        box->axis = 0;
        box->range = -1;
        for (int c = 0; c < 3; ++c)
            if (hi[c] - lo[c] > box->range) {
                box->range = hi[c] - lo[c];
                box->axis = c;
            }
    }

    std::vector<uint32_t> count_;
    std::vector<std::array<uint64_t, 3>> sum_;
    std::vector<uint32_t> keys_;
};

// Nearest palette entry by squared distance, remembered per 6-bit colour cell.
class Nearest {
public:
    explicit Nearest(const std::vector<Rgb>& palette)
        : palette_(palette), cache_(size_t(1) << 18, -1) {}
    uint8_t operator()(int r, int g, int b) {
        const size_t cell = size_t(r >> 2) << 12 | size_t(g >> 2) << 6 | size_t(b >> 2);
        if (cache_[cell] < 0) {
            int best = 0;
            int bestDistance = 1 << 30;
            for (size_t i = 0; i < palette_.size(); ++i) {
                const int dr = palette_[i].r - r, dg = palette_[i].g - g, db = palette_[i].b - b;
                const int d = dr * dr + dg * dg + db * db;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = int(i);
                }
            }
            cache_[cell] = int16_t(best);
        }
        return uint8_t(cache_[cell]);
    }

private:
    const std::vector<Rgb>& palette_;
    std::vector<int16_t> cache_;
};

// Maps every pixel onto the palette with Floyd-Steinberg error diffusion,
// rows left to right.
void Diffuse(const PixBitmap& s, const std::vector<Rgb>& palette, bool grey, PixBitmap* out) {
    Nearest nearest(palette);
    const size_t w = size_t(s.Width);
    // Errors of this row and the next, in sixteenths, one pixel of margin each side.
    std::vector<std::array<int, 3>> here(w + 2), next(w + 2);
    for (int32_t y = 0; y < s.Height; ++y) {
        const uint8_t* row = PixRow(s, y);
        uint8_t* dst = PixRow(*out, y);
        std::fill(next.begin(), next.end(), std::array<int, 3>{0, 0, 0});
        for (size_t x = 0; x < w; ++x) {
            const Rgb c = PixelAt(s, row, int32_t(x));
            int v[3] = {c.r, c.g, c.b};
            for (int k = 0; k < 3; ++k) v[k] = std::clamp(v[k] + here[x + 1][k] / 16, 0, 255);
            uint8_t index;
            if (grey) {
                // Evenly spaced levels: the nearest is a rounding.
                const int levels = int(palette.size()) - 1;
                index = uint8_t((v[0] * levels + 127) / 255);
                v[1] = v[2] = v[0];
            } else {
                index = nearest(v[0], v[1], v[2]);
            }
            dst[x] = index;
            const Rgb& p = palette[index];
            const int e[3] = {v[0] - p.r, v[1] - p.g, v[2] - p.b};
            for (int k = 0; k < 3; ++k) {
                here[x + 2][k] += e[k] * 7;
                next[x][k] += e[k] * 3;
                next[x + 1][k] += e[k] * 5;
                next[x + 2][k] += e[k];
            }
        }
        std::swap(here, next);
    }
}

int32_t MakeOutput(const PixBitmap& s, int32_t bits, PixBitmap* out) {
    if (int32_t st = P_InitBitmap(out, sizeof(*out), s.Width, s.Height, 8); st != kSuccess)
        return st;
    if (int32_t st = P_AllocateBitmap(out, sizeof(*out)); st != kSuccess) return st;
    out->XResolution = s.XResolution;
    out->YResolution = s.YResolution;
    out->Colors = 1 << bits;
    if (bits < 8) std::memset(out->Palette, 0, 256 * sizeof(RGBQUAD));
    return kSuccess;
}

void SetPalette(PixBitmap* out, const std::vector<Rgb>& palette) {
    for (size_t i = 0; i < palette.size(); ++i)
        out->Palette[i] =
            RGBQUAD{uint8_t(palette[i].b), uint8_t(palette[i].g), uint8_t(palette[i].r), 0};
}

}  // namespace

bool IsGreyPicture(const PixBitmap& b) {
    if (b.BitsPerPixel == 8) {
        if (HasGreyRamp(b)) return true;
        bool used[256] = {};
        for (int32_t y = 0; y < b.Height; ++y) {
            const uint8_t* row = PixRow(b, y);
            for (int32_t x = 0; x < b.Width; ++x) used[row[x]] = true;
        }
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& c = b.Palette[i];
            if (used[i] && (c.rgbRed != c.rgbGreen || c.rgbGreen != c.rgbBlue)) return false;
        }
        return true;
    }
    for (int32_t y = 0; y < b.Height; ++y) {
        const uint8_t* p = PixRow(b, y);
        for (int32_t x = 0; x < b.Width; ++x, p += 3)
            if (p[0] != p[1] || p[1] != p[2]) return false;
    }
    return true;
}

int32_t ReduceToPalette(const PixBitmap& s, int32_t bits, PixBitmap* out) {
    if ((bits != 1 && bits != 4 && bits != 8) || (s.BitsPerPixel != 8 && s.BitsPerPixel != 24))
        return kInvalidBitsPerPixel;
    const int colours = 1 << bits;
    if (s.BitsPerPixel == 8) {
        uint8_t highest = 0;
        for (int32_t y = 0; y < s.Height; ++y) {
            const uint8_t* row = PixRow(s, y);
            highest = std::max(highest, *std::max_element(row, row + s.Width));
        }
        if (highest < colours) {
            if (int32_t st = MakeOutput(s, bits, out); st != kSuccess) return st;
            std::memcpy(out->Palette, s.Palette, size_t(colours) * sizeof(RGBQUAD));
            for (int32_t y = 0; y < s.Height; ++y)
                std::memcpy(PixRow(*out, y), PixRow(s, y), size_t(s.Width));
            return kSuccess;
        }
    }
    if (int32_t st = MakeOutput(s, bits, out); st != kSuccess) return st;
    const bool grey = IsGreyPicture(s);
    if (grey && bits == 8) {
        for (int32_t y = 0; y < s.Height; ++y) {
            const uint8_t* row = PixRow(s, y);
            uint8_t* dst = PixRow(*out, y);
            for (int32_t x = 0; x < s.Width; ++x) dst[x] = uint8_t(PixelAt(s, row, x).r);
        }
        return kSuccess;
    }
    // The picture's own colours, when they fit, kept exactly.
    const std::vector<uint32_t> few = FewColours(s, size_t(colours));
    if (!few.empty()) {
        std::unordered_map<uint32_t, uint8_t> index;
        std::vector<Rgb> palette;
        for (uint32_t k : few) {
            index[k] = uint8_t(palette.size());
            palette.push_back({int(k >> 16), int(k >> 8 & 255), int(k & 255)});
        }
        SetPalette(out, palette);
        for (int32_t y = 0; y < s.Height; ++y) {
            const uint8_t* row = PixRow(s, y);
            uint8_t* dst = PixRow(*out, y);
            for (int32_t x = 0; x < s.Width; ++x) dst[x] = index[Key24(PixelAt(s, row, x))];
        }
        return kSuccess;
    }
    std::vector<Rgb> palette;
    if (grey) {
        for (int i = 0; i < colours; ++i) {
            const int v = (i * 255 + (colours - 1) / 2) / (colours - 1);
            palette.push_back({v, v, v});
        }
    } else {
        palette = MedianCut(s).Palette(size_t(colours));
    }
    SetPalette(out, palette);
    Diffuse(s, palette, grey, out);
    return kSuccess;
}

}  // namespace pix
