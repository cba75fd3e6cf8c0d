// Where the program finds its skin file: beside the executable first, then in
// the data folder of the installation.
#pragma once

#include <string>

inline constexpr char kSkinFileName[] = "Xplorer_mod.skn";

// The data folder the build installs the skin into (share/strakel under the
// install prefix).
std::string InstalledSkinFolder();

// `executableDir` + "/" + `name` when anything is there, else the same name
// in `installedDir` when a file is there, else the path beside the
// executable (which then holds nothing, so the standard look stays).
std::string SkinFileLocation(const std::string& executableDir, const std::string& installedDir,
                             const std::string& name = kSkinFileName);
