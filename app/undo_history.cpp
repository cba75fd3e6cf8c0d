// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/undo_history.h"

#include <zlib.h>

#include <stdexcept>
#include <utility>

namespace {

uint32_t Crc(const std::vector<uint8_t>& bytes) {
    return uint32_t(crc32(0, bytes.data(), uInt(bytes.size())));
}

// Every field but the pixels.
bool SameShape(const ViewPicture& a, const ViewPicture& b) {
    return a.hasBitmap == b.hasBitmap && a.visible == b.visible && a.width == b.width &&
           a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.bytesPerLine == b.bytesPerLine && a.colors == b.colors && a.palette == b.palette;
}

}  // namespace

UndoHistory::Packed UndoHistory::Pack(const ViewPicture& picture) {
    Packed packed;
    packed.header = picture;
    packed.header.pixels.clear();
    packed.header.pixels.shrink_to_fit();
    packed.bytes = picture.pixels.size();
    packed.crc = Crc(picture.pixels);
    uLongf size = compressBound(uLong(picture.pixels.size()));
    packed.data.resize(size);
    // The fastest level: a drawing's white paper packs tightly at any level.
    if (compress2(packed.data.data(), &size, picture.pixels.data(), uLong(picture.pixels.size()),
                  Z_BEST_SPEED) != Z_OK)
        throw std::runtime_error("Out of memory for the undo history");
    packed.data.resize(size);
    packed.data.shrink_to_fit();
    return packed;
}

ViewPicture UndoHistory::Unpack(const Packed& packed) {
    ViewPicture picture = packed.header;
    const size_t bytes = packed.bytes;
    picture.pixels.resize(bytes);
    uLongf size = uLongf(bytes);
    if (uncompress(picture.pixels.data(), &size, packed.data.data(), uLong(packed.data.size())) !=
            Z_OK ||
        size != bytes)
        throw std::runtime_error("The undo history is damaged");
    return picture;
}

void UndoHistory::Reset(const ViewPicture& now) {
    undo_.clear();
    redo_.clear();
    current_ = Pack(now);
    current_.id = nextId_++;
    savedId_ = current_.id;
}

bool UndoHistory::Observe(const ViewPicture& now) {
    // Most commands that end without a change (a cancelled dialog, the look
    // after Draw sketch's own Equalize) are told apart by the checksum and,
    // where it agrees, by the pixels themselves, without packing anything.
    if (SameShape(now, current_.header) && now.pixels.size() == current_.bytes &&
        Crc(now.pixels) == current_.crc && Unpack(current_).pixels == now.pixels)
        return false;
    Packed packed = Pack(now);
    packed.id = nextId_++;
    undo_.push_back(std::exchange(current_, std::move(packed)));
    if (undo_.size() > kMaxSteps) undo_.pop_front();
    redo_.clear();
    return true;
}

std::optional<ViewPicture> UndoHistory::Undo() {
    if (undo_.empty()) return std::nullopt;
    ViewPicture picture = Unpack(undo_.back());
    redo_.push_back(std::exchange(current_, std::move(undo_.back())));
    undo_.pop_back();
    return picture;
}

std::optional<ViewPicture> UndoHistory::Redo() {
    if (redo_.empty()) return std::nullopt;
    ViewPicture picture = Unpack(redo_.back());
    undo_.push_back(std::exchange(current_, std::move(redo_.back())));
    redo_.pop_back();
    return picture;
}

size_t UndoHistory::StoredBytes() const {
    size_t bytes = current_.data.size();
    for (const Packed& p : undo_) bytes += p.data.size();
    for (const Packed& p : redo_) bytes += p.data.size();
    return bytes;
}
