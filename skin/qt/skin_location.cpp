// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/qt/skin_location.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

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

std::vector<std::string> SplitFolders(const std::string& list) {
    std::vector<std::string> folders;
    size_t from = 0;
    while (from <= list.size()) {
        const size_t to = std::min(list.find(':', from), list.size());
        if (to > from) folders.push_back(list.substr(from, to - from));
        from = to + 1;
    }
    return folders;
}

}  // namespace

std::vector<std::string> SkinDataFolders(const std::string& executableDir) {
    if (const char* listed = std::getenv(kSkinFoldersVariable)) return SplitFolders(listed);
    std::vector<std::string> folders;
    // Kept without resolving "..", so that the system resolves it as it does
    // for any path through the executable's real folder.
    if (kSkinDirFromExecutable[0] != '\0')
        folders.push_back(executableDir + "/" + kSkinDirFromExecutable);
    folders.push_back(kInstalledSkinDir);
    return folders;
}

std::string SkinFileLocation(const std::string& executableDir,
                             const std::vector<std::string>& dataFolders, const std::string& name) {
    const std::string beside = executableDir + "/" + name;
    // A file beside the executable wins even when it cannot be read, so that
    // its error is reported rather than hidden by an installed one.
    if (Exists(beside)) return beside;
    for (const std::string& folder : dataFolders) {
        const std::string installed = folder + "/" + name;
        if (IsFile(installed)) return installed;
    }
    return beside;
}

std::string FindSkinFile(const std::string& executableDir) {
    return SkinFileLocation(executableDir, SkinDataFolders(executableDir));
}
