// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/header_list.h"

namespace {
bool IsContinuation(const std::string& line) {
    return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

std::string NetTrim(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
    return text.substr(b, e - b);
}

bool NetSameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::size_t TNetHeaderList::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::size_t colon = lines_[i].find(':');
        if (colon != std::string::npos && NetSameText(NetTrim(lines_[i].substr(0, colon)), name))
            return i;
    }
    return std::string::npos;
}

std::string TNetHeaderList::Values(const std::string& name) const {
    const std::size_t i = IndexOf(name);
    if (i == std::string::npos) return "";
    std::string value = NetTrim(lines_[i].substr(lines_[i].find(':') + 1));
    for (std::size_t j = i + 1; j < lines_.size() && IsContinuation(lines_[j]); ++j)
        value += " " + NetTrim(lines_[j]);
    return NetTrim(value);
}

std::vector<std::string> TNetHeaderList::Fold(const std::string& line) const {
    std::vector<std::string> out;
    std::string rest = line;
    while (foldLength_ > 0 && rest.size() > foldLength_) {
        // Break at the last white space that keeps the line within the limit,
        // or at the first one after it when a word alone is longer.
        std::size_t cut = rest.find_last_of(" \t", foldLength_);
        if (cut == std::string::npos || cut == 0) cut = rest.find_first_of(" \t", 1);
        if (cut == std::string::npos) break;
        out.push_back(rest.substr(0, cut));
        std::size_t next = cut;
        while (next < rest.size() && (rest[next] == ' ' || rest[next] == '\t')) ++next;
        rest = " " + rest.substr(next);
    }
    out.push_back(rest);
    return out;
}

void TNetHeaderList::SetValue(const std::string& name, const std::string& value) {
    const std::vector<std::string> folded = Fold(name + ": " + value);
    std::size_t i = IndexOf(name);
    if (i == std::string::npos) {
        lines_.insert(lines_.end(), folded.begin(), folded.end());
        return;
    }
    std::size_t end = i + 1;
    while (end < lines_.size() && IsContinuation(lines_[end])) ++end;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(i), folded.begin(), folded.end());
}
