// SPDX-License-Identifier: GPL-3.0-or-later
// The photo size rule of the window and of strakel-sketch: a photo whose sides
// both exceed 1024 pixels is refused. The size comes from the file's header,
// so that a refused photo is never decoded.
#pragma once

#include <cstdint>
#include <string>

namespace sketch {

constexpr int32_t kMaxPhotoSide = 1024;
// What the user is told about a refused photo.
inline constexpr char kPhotoTooLargeMessage[] = "File resulution not supported";

struct PhotoSize {
    int32_t status = 1;  // engine status of reading the header; 1 on success
    int32_t width = 0;   // 0 x 0 when the header could not be read
    int32_t height = 0;
};

// The width and height that the file's header gives (the engine's file
// information); no pixel is decoded.
PhotoSize ReadPhotoSize(const std::string& path);

constexpr bool PhotoTooLarge(int32_t width, int32_t height) {
    return width > kMaxPhotoSide && height > kMaxPhotoSide;
}

}  // namespace sketch
