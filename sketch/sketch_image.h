// SPDX-License-Identifier: GPL-3.0-or-later
// The image that the drawing sequence works on: the operations it needs of the
// window's image controls and of a plain engine bitmap alike.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/dib.h"
#include "sketch/dib_rows.h"
#include "sketch/locked_dib.h"

namespace sketch {

// Outcome of a step: success, or the failing engine call or message and the
// engine's status.
struct PipelineResult {
    int32_t status = 1;   // engine status; 1 on success
    std::string message;  // empty on success; "Imges empty", "handle error",
                          // "bits not allocated", "error", or the name of the
                          // failing engine call
    bool ok() const { return message.empty(); }
};

PipelineResult Failed(std::string message, int32_t status);

// Pixel rows that an image handed out for the passes, with what drawing them
// back through StretchDIBits needs.
struct PassRows {
    DibRows rows;                      // bottom picture row first, as in a DIB
    BITMAPINFO header{};               // the DIB header of `bits`
    const void* bits = nullptr;        // memory row 0 of that DIB
    std::unique_ptr<LockedDib> block;  // the DIB block behind them, if one was handed out
};

class SketchImage {
public:
    virtual ~SketchImage() = default;

    virtual bool HasPicture() const = 0;
    // Makes a grey or palette picture 24-bit, so that it sketches like any
    // other and nothing is quantised to a palette.
    virtual PipelineResult ToTrueColor() = 0;
    // Saturation -1000: a grey copy of the colours.
    virtual PipelineResult Desaturate() = 0;
    virtual PipelineResult Invert() = 0;
    // Hands out the 24-bit picture's rows.
    virtual PipelineResult TakeRows(PassRows* out) = 0;
    // Draws width x height of `rows` from their origin 1:1 into the picture.
    virtual PipelineResult DrawBack(const PassRows& rows, int32_t width, int32_t height) = 0;
    // Loads the photo again (the work image, before each blend).
    virtual PipelineResult Reload() = 0;
};

}  // namespace sketch
