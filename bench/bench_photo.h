// SPDX-License-Identifier: GPL-3.0-or-later
// Photo-like inputs for the benchmarks: a generated picture, encoded as JPEG,
// and files in a per-process temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

using Bytes = std::vector<uint8_t>;

// A path in this process's temporary folder, which is created on first use.
std::string TempPath(const std::string& name);
void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

// A photo-like picture: smooth gradients with some texture. Channel c of (x, y).
uint8_t Sample(int x, int y, int c);

// The picture as a width x height colour JPEG of quality 90.
Bytes JpegPhoto(int width, int height);

// A generated landscape, photo-like: sky, sun, hills, a house with dark
// windows and its shadow, trees and grass, with sensor noise. Blue, green,
// red rows from the top, 3 x width bytes each.
Bytes ScenePixels(int width, int height);

// The scene as a 24-bit BMP file.
Bytes SceneBmp(int width, int height);

}  // namespace bench
