// SPDX-License-Identifier: GPL-3.0-or-later
// The skin container that a skin file holds once decompressed: a header with
// the version, a version-dependent gap, the entry names, their sizes and
// their bytes one after the other.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace skin {

// At most this many entries; a container with more is damaged.
inline constexpr size_t kMaxEntries = 1001;
// Header: version, length of the name list, 8 bytes not interpreted.
inline constexpr size_t kContainerHeader = 16;
// The version that our packing tool writes.
inline constexpr uint32_t kPackVersion = 60000;

// Bytes skipped after the header, or empty for an unknown version.
std::optional<size_t> ContainerGap(uint32_t version);

struct ContainerEntry {
    std::string name;   // lower-cased
    size_t offset = 0;  // into the container
    size_t size = 0;
};

enum class ContainerStatus { kOk, kUnknownVersion, kDamaged };

// The entries of a container; their bytes stay in the caller's buffer.
class SkinContainer {
public:
    // Reads the header, names and sizes of `bytes`, which must outlive the
    // result. Never reads outside `bytes`; `why` tells what was damaged.
    static ContainerStatus Parse(std::span<const uint8_t> bytes, SkinContainer* out,
                                 std::string* why = nullptr);
    // A temporary buffer would be gone before its entries are read.
    static ContainerStatus Parse(std::vector<uint8_t>&& bytes, SkinContainer* out,
                                 std::string* why = nullptr) = delete;

    uint32_t Version() const { return version_; }
    size_t DataOffset() const { return dataOffset_; }
    const std::vector<ContainerEntry>& Entries() const { return entries_; }

    // The first entry named `name`, ignoring letter case.
    const ContainerEntry* FindExact(std::string_view name) const;
    // The first entry whose (lower-cased) name contains `part` as it stands.
    const ContainerEntry* FindPart(std::string_view part) const;
    std::span<const uint8_t> Bytes(const ContainerEntry& entry) const;

private:
    std::span<const uint8_t> bytes_;
    uint32_t version_ = 0;
    size_t dataOffset_ = 0;
    std::vector<ContainerEntry> entries_;
};

// One entry to pack: its name as it will be stored, and its bytes.
struct PackEntry {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Builds a version 60000 container (names end with CR LF). Names must not
// hold CR, LF or zero bytes, and there may be at most kMaxEntries.
std::vector<uint8_t> BuildContainer(const std::vector<PackEntry>& entries);

// Lower-cases ASCII letters; other bytes stay.
std::string LowerAscii(std::string_view text);

}  // namespace skin
