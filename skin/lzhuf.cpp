// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/lzhuf.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace skin {
namespace {

// 256 literals and the match lengths kLzThreshold + 1 to kLzLookAhead.
constexpr int kSymbols = 256 - kLzThreshold + kLzLookAhead;  // 314
constexpr int kNodes = 2 * kSymbols - 1;                     // 627
constexpr int kRoot = kNodes - 1;
// When the root's count reaches this, every count is halved and the tree rebuilt.
constexpr uint32_t kMaxFreq = 0x8000;
// Writing starts here; the ring below it holds blanks, the rest zeros.
constexpr int kRingStart = kLzRing - kLzLookAhead;  // 4036

// The upper 6 bits of a match position are sent with a fixed prefix code of 3
// to 8 bits, the lower 6 bits as they are. Lengths of the 64 codes; the codes
// themselves are canonical, in order of position.
constexpr std::array<uint8_t, 64> kPosCodeLength = [] {
    std::array<uint8_t, 64> len{};
    int at = 0;
    for (auto [bits, count] : {std::pair{3, 1}, {4, 3}, {5, 8}, {6, 12}, {7, 24}, {8, 16}}) {
        for (int i = 0; i < count; ++i) len[at++] = uint8_t(bits);
    }
    return len;
}();

// The codes left-aligned in a byte.
constexpr std::array<uint8_t, 64> kPosCode = [] {
    std::array<uint8_t, 64> code{};
    unsigned next = 0;  // next code, 8 bits left-aligned
    for (int i = 0; i < 64; ++i) {
        code[i] = uint8_t(next);
        next += 1u << (8 - kPosCodeLength[i]);
    }
    return code;
}();

// For every byte that starts with a code: the upper position bits and the code length.
struct PosTables {
    std::array<uint8_t, 256> code{};
    std::array<uint8_t, 256> length{};
};
constexpr PosTables kPosDecode = [] {
    PosTables t;
    for (int i = 0; i < 64; ++i) {
        const int span = 1 << (8 - kPosCodeLength[i]);
        for (int b = 0; b < span; ++b) {
            t.code[kPosCode[i] + b] = uint8_t(i);
            t.length[kPosCode[i] + b] = kPosCodeLength[i];
        }
    }
    return t;
}();
static_assert(kPosCode[0] == 0x00 && kPosCode[1] == 0x20 && kPosCode[4] == 0x50);
static_assert(kPosCode[12] == 0x90 && kPosCode[24] == 0xC0 && kPosCode[48] == 0xF0);
static_assert(kPosCode[63] == 0xFF);
static_assert(kPosDecode.code[0x1F] == 0 && kPosDecode.length[0x1F] == 3);
static_assert(kPosDecode.code[0xEF] == 47 && kPosDecode.length[0xEF] == 7);

// The adaptive Huffman tree that encoder and decoder keep in step. Nodes sit
// in an array sorted by count; the children of a node are the pair son, son+1,
// and a son of kNodes + s or more stands for the leaf of symbol s.
class HuffmanTree {
public:
    HuffmanTree() {
        for (int i = 0; i < kSymbols; ++i) {
            freq_[i] = 1;
            son_[i] = i + kNodes;
            parent_[i + kNodes] = i;
        }
        for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            freq_[j] = freq_[i] + freq_[i + 1];
            son_[j] = i;
            parent_[i] = parent_[i + 1] = j;
        }
        freq_[kNodes] = 0xFFFF;  // stops the search for a larger count
        parent_[kRoot] = 0;
    }

    int RootChild() const { return son_[kRoot]; }
    int Son(int node) const { return son_[node]; }
    int LeafOf(int symbol) const { return parent_[symbol + kNodes]; }
    int Parent(int node) const { return parent_[node]; }

    // Counts one more use of `symbol` and restores the order of the counts.
    void Update(int symbol) {
        if (freq_[kRoot] == kMaxFreq) Rebuild();
        int c = parent_[symbol + kNodes];
        do {
            const uint32_t k = ++freq_[c];
            int l = c + 1;
            if (k > freq_[l]) {
                while (k > freq_[++l]) {
                }
                --l;
                // Swap node c with node l, the last one of a smaller count.
                freq_[c] = freq_[l];
                freq_[l] = k;
                const int i = son_[c];
                parent_[i] = l;
                if (i < kNodes) parent_[i + 1] = l;
                const int j = son_[l];
                son_[l] = i;
                parent_[j] = c;
                if (j < kNodes) parent_[j + 1] = c;
                son_[c] = j;
                c = l;
            }
            c = parent_[c];
        } while (c != 0);
    }

private:
    // Halves the leaves' counts and builds the inner nodes anew.
    void Rebuild() {
        int j = 0;
        for (int i = 0; i < kNodes; ++i) {
            if (son_[i] >= kNodes) {
                freq_[j] = (freq_[i] + 1) / 2;
                son_[j] = son_[i];
                ++j;
            }
        }
        for (int i = 0, n = kSymbols; n < kNodes; i += 2, ++n) {
            const uint32_t f = freq_[i] + freq_[i + 1];
            int k = n - 1;
            while (f < freq_[k]) --k;
            ++k;
            // Insert the new node at k, keeping the counts sorted.
            std::memmove(&freq_[k + 1], &freq_[k], size_t(n - k) * sizeof(freq_[0]));
            freq_[k] = f;
            std::memmove(&son_[k + 1], &son_[k], size_t(n - k) * sizeof(son_[0]));
            son_[k] = i;
        }
        for (int i = 0; i < kNodes; ++i) {
            const int k = son_[i];
            parent_[k] = i;
            if (k < kNodes) parent_[k + 1] = i;
        }
    }

    std::array<uint32_t, kNodes + 1> freq_{};
    std::array<int, kNodes + kSymbols> parent_{};
    std::array<int, kNodes> son_{};
};

// Bits of the input, most significant first; past the end every bit is 0.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> in) : in_(in) {}
    int Bit() {
        if (bits_ == 0) {
            byte_ = at_ < in_.size() ? in_[at_] : 0;
            ++at_;
            bits_ = 8;
        }
        --bits_;
        return (byte_ >> bits_) & 1;
    }
    int Bits(int count) {
        int v = 0;
        while (count-- > 0) v = (v << 1) | Bit();
        return v;
    }
    // Whole bytes taken from past the end of the input.
    size_t BytesPastEnd() const { return at_ > in_.size() ? at_ - in_.size() : 0; }

private:
    std::span<const uint8_t> in_;
    size_t at_ = 0;
    unsigned byte_ = 0;
    int bits_ = 0;
};

class BitWriter {
public:
    void Bits(uint32_t value, int count) {
        while (count-- > 0) {
            acc_ = (acc_ << 1) | ((value >> count) & 1);
            if (++bits_ == 8) {
                out_.push_back(uint8_t(acc_));
                acc_ = 0;
                bits_ = 0;
            }
        }
    }
    std::vector<uint8_t> Finish() {
        if (bits_ > 0) Bits(0, 8 - bits_);
        return std::move(out_);
    }

private:
    std::vector<uint8_t> out_;
    uint32_t acc_ = 0;
    int bits_ = 0;
};

int DecodeSymbol(HuffmanTree& tree, BitReader& in) {
    int c = tree.RootChild();
    while (c < kNodes) c = tree.Son(c + in.Bit());
    c -= kNodes;
    tree.Update(c);
    return c;
}

int DecodePosition(BitReader& in) {
    const int first = in.Bits(8);
    const int upper = kPosDecode.code[first];
    // The byte read holds the code and its first position bits; the rest follow.
    const int more = kPosDecode.length[first] - 2;
    const int lower = ((first << more) | in.Bits(more)) & 0x3F;
    return (upper << 6) | lower;
}

void EncodeSymbol(HuffmanTree& tree, BitWriter& out, int symbol) {
    // Walk from the leaf to the root; the code is the path read backwards.
    uint32_t code = 0;
    int length = 0;
    for (int node = tree.LeafOf(symbol); node != kRoot; node = tree.Parent(node)) {
        code |= uint32_t(node & 1) << length;
        ++length;
    }
    out.Bits(code, length);
    tree.Update(symbol);
}

void EncodePosition(BitWriter& out, int position) {
    const int upper = position >> 6;
    out.Bits(kPosCode[upper] >> (8 - kPosCodeLength[upper]), kPosCodeLength[upper]);
    out.Bits(uint32_t(position & 0x3F), 6);
}

// Decodes until `size` bytes are produced, or gives up once a symbol has
// needed more than `pastEnd` bytes past the end of the input.
std::optional<std::vector<uint8_t>> Decode(std::span<const uint8_t> input, size_t size,
                                           size_t pastEnd) {
    std::vector<uint8_t> out;
    out.reserve(size + kLzLookAhead);
    std::array<uint8_t, kLzRing> ring{};
    std::fill(ring.begin(), ring.begin() + kRingStart, uint8_t(' '));
    int r = kRingStart;
    HuffmanTree tree;
    BitReader in(input);
    while (out.size() < size) {
        const int c = DecodeSymbol(tree, in);
        if (c < 256) {
            out.push_back(uint8_t(c));
            ring[r] = uint8_t(c);
            r = (r + 1) & (kLzRing - 1);
        } else {
            const int from = (r - DecodePosition(in) - 1) & (kLzRing - 1);
            const int length = c - 255 + kLzThreshold;
            for (int k = 0; k < length; ++k) {
                const uint8_t b = ring[(from + k) & (kLzRing - 1)];
                out.push_back(b);
                ring[r] = b;
                r = (r + 1) & (kLzRing - 1);
            }
        }
        if (in.BytesPastEnd() > pastEnd) return std::nullopt;
    }
    return out;
}

}  // namespace

std::vector<uint8_t> LzhufDecode(std::span<const uint8_t> input, size_t size) {
    return *Decode(input, size, SIZE_MAX);
}

std::optional<std::vector<uint8_t>> LzhufDecodeWhole(std::span<const uint8_t> input, size_t size) {
    return Decode(input, size, 1);
}

std::vector<uint8_t> LzhufEncode(std::span<const uint8_t> data) {
    // The window as one line: the blanks that the decoder's ring starts with,
    // then the data. A match may start up to kLzRing bytes back.
    std::vector<uint8_t> text(size_t(kRingStart) + data.size(), uint8_t(' '));
    std::copy(data.begin(), data.end(), text.begin() + kRingStart);
    const size_t end = text.size();

    // Chains of earlier positions with the same first three bytes.
    constexpr int kHashBits = 14;
    constexpr int kMaxChain = 256;
    std::vector<int32_t> head(size_t(1) << kHashBits, -1);
    std::vector<int32_t> prev(end, -1);
    const auto hash = [&](size_t p) {
        return ((uint32_t(text[p]) << 10) ^ (uint32_t(text[p + 1]) << 5) ^ text[p + 2]) &
               ((1u << kHashBits) - 1);
    };
    const auto insert = [&](size_t p) {
        if (p + 2 >= end) return;
        const uint32_t h = hash(p);
        prev[p] = head[h];
        head[h] = int32_t(p);
    };
    for (size_t p = 0; p < size_t(kRingStart); ++p) insert(p);

    HuffmanTree tree;
    BitWriter out;
    size_t p = kRingStart;
    while (p < end) {
        const size_t limit = std::min<size_t>(kLzLookAhead, end - p);
        size_t bestLength = 0;
        size_t bestFrom = 0;
        if (limit > size_t(kLzThreshold)) {
            int chain = kMaxChain;
            for (int32_t s = head[hash(p)]; s >= 0 && chain-- > 0; s = prev[size_t(s)]) {
                if (p - size_t(s) > size_t(kLzRing)) break;
                size_t n = 0;
                while (n < limit && text[size_t(s) + n] == text[p + n]) ++n;
                if (n > bestLength) {
                    bestLength = n;
                    bestFrom = size_t(s);
                    if (n == limit) break;
                }
            }
        }
        if (bestLength > size_t(kLzThreshold)) {
            EncodeSymbol(tree, out, int(255 - kLzThreshold + bestLength));
            EncodePosition(out, int(p - bestFrom - 1));
        } else {
            bestLength = 1;
            EncodeSymbol(tree, out, text[p]);
        }
        for (size_t k = 0; k < bestLength; ++k) insert(p + k);
        p += bestLength;
    }
    return out.Finish();
}

}  // namespace skin
