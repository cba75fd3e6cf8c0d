// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/photo_list.h"

namespace cli {

std::string ReadPhotoList(std::istream& in, std::vector<std::string>* photos, bool nullSeparated) {
    std::streambuf* buffer = in.rdbuf();
    const char separator = nullSeparated ? '\0' : '\n';
    const char* const entry = nullSeparated ? "name " : "line ";
    std::string line;
    size_t number = 1;
    auto end = [&] {
        // A line of a list written on Windows ends in CR LF; one converted
        // twice ends in CR CR LF.
        while (!nullSeparated && !line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) photos->push_back(line);
        line.clear();
        ++number;
    };
    for (int c; (c = buffer->sbumpc()) != std::char_traits<char>::eof();) {
        if (c == separator) {
            end();
        } else if (c == '\0') {
            return entry + std::to_string(number) + " holds a NUL byte";
        } else if (line.size() == kMaxListLine + (nullSeparated ? 0 : 1) ||
                   (line.size() == kMaxListLine && c != '\r')) {
            return entry + std::to_string(number) + " is longer than " +
                   std::to_string(kMaxListLine) + " bytes";
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    end();
    return {};
}

}  // namespace cli
