// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/skin_ini.h"

namespace skin {
namespace {

bool IsBlank(char c) {
    return uint8_t(c) <= ' ';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<int32_t> ParseHex(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    uint64_t v = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = v * 16 + uint64_t(d);
        if (v > 0xFFFFFFFFu) return std::nullopt;
    }
    // Eight digits cover the whole 32 bits, so $FFFFFFFF is -1.
    return int32_t(uint32_t(v));
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

std::optional<int32_t> ParseNumber(std::string_view text) {
    if (!text.empty() && text[0] == '$') return ParseHex(text.substr(1));
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return ParseHex(text.substr(2));
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > int64_t{1} << 31) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
    return int32_t(v);
}

Rgb ParseColour(std::string_view text) {
    uint8_t parts[3] = {0, 0, 0};
    int found = 0;
    size_t i = 0;
    while (found < 3 && i < text.size()) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        unsigned v = 0;  // kept to its low byte while reading
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            v = (v * 10 + unsigned(text[i] - '0')) & 0xFF;
            ++i;
        }
        parts[found++] = uint8_t(v);
    }
    return Rgb{parts[0], parts[1], parts[2]};
}

namespace {

std::string LowerName(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = Lower(c);
    return out;
}

}  // namespace

SkinIni SkinIni::Parse(std::span<const uint8_t> text) {
    SkinIni ini;
    Section* current = nullptr;
    size_t keyLines = 0;
    size_t i = 0;
    bool ended = false;
    while (i < text.size() && !ended) {
        const size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n' && text[i] != 0) ++i;
        const std::string_view raw(reinterpret_cast<const char*>(text.data()) + start, i - start);
        if (i < text.size()) {
            ended = text[i] == 0;
            ++i;
        }
        const std::string_view line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            if (ini.sections_.size() == kMaxSections) {
                ini.damage_ = "more than 4096 sections";
                break;
            }
            ini.sections_.push_back(Section{std::string(line.substr(1, line.size() - 2)), {}});
            current = &ini.sections_.back();
            ini.index_.try_emplace(LowerName(current->name), ini.sections_.size() - 1);
            continue;
        }
        const size_t eq = line.find('=');
        // Lines before the first section and lines without "=" hold no key.
        if (!current || eq == std::string_view::npos) continue;
        if (keyLines++ == kMaxKeyLines) {
            ini.damage_ = "more than 65536 key lines";
            break;
        }
        current->lines.push_back(
            Line{std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1)))});
    }
    return ini;
}

const SkinIni::Section* SkinIni::Find(std::string_view section) const {
    const auto it = index_.find(LowerName(section));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::string> SkinIni::String(const Section& section, std::string_view key) {
    for (const Line& line : section.lines) {
        if (EqualsNoCase(line.key, key)) {
            if (line.value.empty()) return std::nullopt;
            return line.value;
        }
    }
    return std::nullopt;
}

int32_t SkinIni::Number(const Section& section, std::string_view key, int32_t fallback) {
    const std::optional<std::string> v = String(section, key);
    if (!v) return fallback;
    return ParseNumber(*v).value_or(fallback);
}

std::optional<Rgb> SkinIni::Colour(const Section& section, std::string_view key) {
    const std::optional<std::string> v = String(section, key);
    if (!v) return std::nullopt;
    return ParseColour(*v);
}

std::optional<std::string> SkinIni::String(std::string_view section, std::string_view key) const {
    const Section* s = Find(section);
    return s ? String(*s, key) : std::nullopt;
}

int32_t SkinIni::Number(std::string_view section, std::string_view key, int32_t fallback) const {
    const Section* s = Find(section);
    return s ? Number(*s, key, fallback) : fallback;
}

std::optional<Rgb> SkinIni::Colour(std::string_view section, std::string_view key) const {
    const Section* s = Find(section);
    return s ? Colour(*s, key) : std::nullopt;
}

}  // namespace skin
