// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program finds its skin file: beside the executable first, then in
// the data folders of the installation, the one relative to the executable
// before the one fixed when the program was built.
#pragma once

#include <string>
#include <vector>

inline constexpr char kSkinFileName[] = "Xplorer_mod.skn";

// When set, its folders (separated by ':') are searched after the
// executable's folder in place of the installation's data folders; tests set
// it so that a skin installed on the machine stays out of their sight.
inline constexpr char kSkinFoldersVariable[] = "STRAKEL_SKIN_DIRS";

// The folders searched after `executableDir`: those of STRAKEL_SKIN_DIRS when
// it is set, else `executableDir`/../share/strakel (the installed layout's
// data folder seen from its program folder) and then the data folder of the
// install prefix the program was built for.
std::vector<std::string> SkinDataFolders(const std::string& executableDir);

// `executableDir` + "/" + `name` when anything is there, else the same name
// in the first of `dataFolders` that holds a file of that name, else the path
// beside the executable (which then holds nothing, so the standard look
// stays).
std::string SkinFileLocation(const std::string& executableDir,
                             const std::vector<std::string>& dataFolders,
                             const std::string& name = kSkinFileName);

// The skin file for the program in `executableDir`, searched in
// SkinDataFolders.
std::string FindSkinFile(const std::string& executableDir);
