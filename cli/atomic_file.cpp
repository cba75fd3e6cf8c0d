#include "cli/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace cli {
namespace {

// The permissions a plainly created file gets: 0666 less the process's umask,
// read once (umask can only be read by setting it).
mode_t NewFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = umask(0);
        umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

}  // namespace

std::string WriteFileAtomically(
    const std::string& path,
    const std::function<bool(const std::string& tempPath, std::string* error)>& write) {
    const std::filesystem::path target(path);
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    // A hidden name beside the target: ".NAME.strakel-XXXXXX".
    std::string hidden(1, '.');
    hidden.append(target.filename().string());
    hidden.append(".strakel-XXXXXX");
    const std::string pattern = (folder / hidden).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return "cannot write " + path + ": " + std::strerror(errno);
    const std::string tempPath(name.data());
    fchmod(fd, NewFileMode());
    close(fd);

    std::string error;
    if (!write(tempPath, &error)) {
        std::remove(tempPath.c_str());
        return error.empty() ? "could not write the file" : error;
    }
    if (std::rename(tempPath.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(tempPath.c_str());
        return error;
    }
    return {};
}

}  // namespace cli
