// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the bash completion of strakel-sketch from its template, with the
// extensions of every format that the tool writes, taken from the engine's
// format table: write_completion TEMPLATE OUTPUT.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/format_table.h"

namespace {

void ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text->find(from, at)) != std::string::npos; at += to.size())
        text->replace(at, from.size(), to);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: write_completion TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), {}};
    if (!in && !in.eof()) {
        std::cerr << "write_completion: cannot read " << argv[1] << "\n";
        return 1;
    }
    // Both cases for the pattern of -o; lower case for --format, which takes any.
    std::string words, pattern;
    for (const pix::FileFormatEntry& f : pix::FileFormats()) {
        if (!pix::CanSaveDepth(f.code, 24)) continue;
        for (std::string_view dotted : f.extensions) {
            const std::string ext(dotted.substr(1));
            std::string upper = ext;
            for (char& c : upper) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            words += (words.empty() ? "" : " ") + ext;
            pattern += (pattern.empty() ? "" : "|") + ext + "|" + upper;
        }
    }
    ReplaceAll(&text, "@GENERATED@", "Generated at build time from the engine's format table.");
    ReplaceAll(&text, "@EXTENSION_PATTERN@", pattern);
    ReplaceAll(&text, "@EXTENSIONS@", words);
    std::ofstream out(argv[2], std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "write_completion: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
