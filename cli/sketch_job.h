// One photo through strakel-sketch: load, size check, drawing, atomic save.
#pragma once

#include <cstdint>
#include <string>

namespace cli {

// Larger photos (both sides) are refused unless any size is allowed.
constexpr int32_t kMaxPhotoSide = 1024;

struct SketchJob {
    std::string photo;
    std::string output;
    int32_t format = 0;  // engine file format code of the output
    bool colorPencil = false;
    bool anySize = false;
};

// Empty on success, else the reason the photo failed.
std::string RunSketchJob(const SketchJob& job);

}  // namespace cli
