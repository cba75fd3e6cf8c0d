#include "skin/qt/skin_location.h"

#include <sys/stat.h>

#include "skin/qt/skin_install_dir.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string InstalledSkinFolder() {
    return kInstalledSkinDir;
}

std::string SkinFileLocation(const std::string& executableDir, const std::string& installedDir,
                             const std::string& name) {
    const std::string beside = executableDir + "/" + name;
    // A file beside the executable wins even when it cannot be read, so that
    // its error is reported rather than hidden by the installed one.
    if (Exists(beside) || installedDir.empty()) return beside;
    const std::string installed = installedDir + "/" + name;
    return IsFile(installed) ? installed : beside;
}
