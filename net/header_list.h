// SPDX-License-Identifier: GPL-3.0-or-later
// Header lines ("Name: value") with case-insensitive lookup, folded
// continuation lines and in-place replacement.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class TNetHeaderList {
public:
    // Lines set longer than this are folded at white space; 0 never folds.
    explicit TNetHeaderList(std::size_t foldLength = 0) : foldLength_(foldLength) {}

    // The value of the first line whose name matches, ignoring letter case,
    // with its continuation lines appended after a single blank, trimmed;
    // empty when there is no such line.
    std::string Values(const std::string& name) const;
    // Replaces the line of that name where it stands (with its continuation
    // lines), or appends one.
    void SetValue(const std::string& name, const std::string& value);
    // Stores a received line as it arrived.
    void Add(const std::string& line) { lines_.push_back(line); }
    void Clear() { lines_.clear(); }

    const std::vector<std::string>& Lines() const { return lines_; }
    std::size_t Count() const { return lines_.size(); }

private:
    std::size_t IndexOf(const std::string& name) const;  // npos when absent
    std::vector<std::string> Fold(const std::string& line) const;

    std::size_t foldLength_;
    std::vector<std::string> lines_;
};

// Trims blanks, tabs and other control characters at both ends.
std::string NetTrim(const std::string& text);
bool NetSameText(const std::string& a, const std::string& b);
