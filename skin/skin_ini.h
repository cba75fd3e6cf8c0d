// SPDX-License-Identifier: GPL-3.0-or-later
// The skin description's INI dialect: sections found ignoring letter case
// (the first of a name counts), keys likewise, numbers in decimal or
// hexadecimal, colours as the first three numbers of a value.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "skin/skin_objects.h"

namespace skin {

// A real description has a few hundred sections and lines; text beyond
// these is no skin and is not read on.
inline constexpr size_t kMaxSections = 4096;
inline constexpr size_t kMaxKeyLines = 65536;

class SkinIni {
public:
    struct Line {
        std::string key;  // trimmed text before the first "="
        std::string value;
    };
    struct Section {
        std::string name;  // as written between the brackets
        std::vector<Line> lines;
    };

    // Cuts `text` into lines at CR, LF or a zero byte (which ends the text).
    // Stops at the first section or key line past the limits above and says
    // so in Damage().
    static SkinIni Parse(std::span<const uint8_t> text);

    // Why the text was not read to its end; empty when it was.
    const std::string& Damage() const { return damage_; }

    // Sections in the order of the text, repeated names included.
    const std::vector<Section>& Sections() const { return sections_; }
    // The first section of that name, ignoring letter case.
    const Section* Find(std::string_view section) const;

    // The value of the first line with `key` in the first section named
    // `section`; empty when either is missing or the value is empty.
    std::optional<std::string> String(std::string_view section, std::string_view key) const;
    int32_t Number(std::string_view section, std::string_view key, int32_t fallback) const;
    std::optional<Rgb> Colour(std::string_view section, std::string_view key) const;

    static std::optional<std::string> String(const Section& section, std::string_view key);
    static int32_t Number(const Section& section, std::string_view key, int32_t fallback);
    static std::optional<Rgb> Colour(const Section& section, std::string_view key);

private:
    std::vector<Section> sections_;
    // The first section of each lower-cased name.
    std::unordered_map<std::string, size_t> index_;
    std::string damage_;
};

// A number in decimal (with an optional sign), in hexadecimal after "$", or
// after "0x" / "0X" when the text is longer than two characters.
std::optional<int32_t> ParseNumber(std::string_view text);
// The first three runs of digits, red, green and blue; a missing one is 0.
// Each gives the low byte of its value.
Rgb ParseColour(std::string_view text);

// Equal ignoring the letter case of ASCII letters.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace skin
