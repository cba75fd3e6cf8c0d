// SPDX-License-Identifier: GPL-3.0-or-later
// The undo history of the right view: each state that the drawing passed
// through since the last Load, kept zlib-compressed (a drawing is mostly
// paper), with the redo steps and which state was last saved. No Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

// What the right view showed: its bitmap, byte for byte, and whether it was
// visible.
struct ViewPicture {
    bool hasBitmap = false;
    bool visible = false;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t bytesPerLine = 0;
    int32_t colors = 0;
    std::vector<uint8_t> pixels;   // the bitmap's whole pixel memory
    std::vector<uint8_t> palette;  // 256 entries of 4 bytes for 8 bits, else empty

    bool operator==(const ViewPicture&) const = default;
};

class UndoHistory {
public:
    // Steps kept for undo; the oldest is dropped beyond this.
    static constexpr size_t kMaxSteps = 20;

    // Starts over from `now`, which counts as saved (nothing to lose yet).
    void Reset(const ViewPicture& now);
    // Takes `now` as the view's state after a command. A state unlike the
    // current one becomes a new step and clears the redo steps; true then.
    bool Observe(const ViewPicture& now);
    // The state before the current one, which becomes current; nothing when
    // there is no step to undo.
    std::optional<ViewPicture> Undo();
    // The state that the last Undo left, which becomes current again.
    std::optional<ViewPicture> Redo();

    size_t UndoSteps() const { return undo_.size(); }
    size_t RedoSteps() const { return redo_.size(); }
    // Bytes held by every stored state, the current one included.
    size_t StoredBytes() const;

    void MarkSaved() { savedId_ = current_.id; }
    bool ChangedSinceSaved() const { return current_.id != savedId_; }

    // A picture packed as the history keeps it, and back.
    struct Packed {
        ViewPicture header;         // every field but the pixels
        std::vector<uint8_t> data;  // the pixels, zlib-compressed
        size_t bytes = 0;           // the pixels' size unpacked
        uint32_t crc = 0;           // CRC-32 of the pixels unpacked
        uint64_t id = 0;            // which state this is
    };
    static Packed Pack(const ViewPicture& picture);
    static ViewPicture Unpack(const Packed& packed);

private:
    Packed current_{};
    std::deque<Packed> undo_;  // the newest last
    std::vector<Packed> redo_;
    uint64_t nextId_ = 1;
    uint64_t savedId_ = 0;
};
