#include "cli/photo_list.h"

namespace cli {

std::string ReadPhotoList(std::istream& in, std::vector<std::string>* photos) {
    std::streambuf* buffer = in.rdbuf();
    std::string line;
    size_t number = 1;
    auto end = [&] {
        if (!line.empty()) photos->push_back(line);
        line.clear();
        ++number;
    };
    for (int c; (c = buffer->sbumpc()) != std::char_traits<char>::eof();) {
        if (c == '\n') {
            end();
        } else if (c == '\0') {
            return "line " + std::to_string(number) + " holds a NUL byte";
        } else if (line.size() == kMaxListLine) {
            return "line " + std::to_string(number) + " is longer than " +
                   std::to_string(kMaxListLine) + " bytes";
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    end();
    return {};
}

}  // namespace cli
