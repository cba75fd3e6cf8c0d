// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/skin_container.h"

#include <stdexcept>

namespace skin {
namespace {

uint32_t ReadU32(std::span<const uint8_t> b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

ContainerStatus Damaged(std::string* why, const char* text) {
    if (why) *why = text;
    return ContainerStatus::kDamaged;
}

// Cuts the name list into lines at CR LF, CR or LF; a zero byte ends it. A
// break at the very end opens no further line, an empty line inside counts.
std::vector<std::string> SplitNames(std::span<const uint8_t> list) {
    std::vector<std::string> names;
    std::string line;
    size_t i = 0;
    // One name past the limit is enough to refuse the container.
    while (i < list.size() && list[i] != 0 && names.size() <= kMaxEntries) {
        const uint8_t c = list[i++];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i < list.size() && list[i] == '\n') ++i;
            names.push_back(LowerAscii(line));
            line.clear();
        } else {
            line.push_back(char(c));
        }
    }
    if (!line.empty() && names.size() <= kMaxEntries) names.push_back(LowerAscii(line));
    return names;
}

}  // namespace

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return out;
}

std::optional<size_t> ContainerGap(uint32_t version) {
    switch (version) {
        case 20000:
            return 0;
        case 30000:
            return 256;
        case 40000:
            return 80;
        case 50000:
            return 48;
        case 60000:
            return 117;
        case 70000:
            return 69;
        default:
            return std::nullopt;
    }
}

ContainerStatus SkinContainer::Parse(std::span<const uint8_t> bytes, SkinContainer* out,
                                     std::string* why) {
    *out = SkinContainer{};
    if (bytes.size() < 4) return Damaged(why, "no container header");
    const uint32_t version = ReadU32(bytes, 0);
    const std::optional<size_t> gap = ContainerGap(version);
    if (!gap) return ContainerStatus::kUnknownVersion;
    if (bytes.size() < kContainerHeader) return Damaged(why, "no container header");
    const size_t listLength = ReadU32(bytes, 4);
    const size_t listStart = kContainerHeader + *gap;
    if (listStart > bytes.size() || listLength > bytes.size() - listStart) {
        return Damaged(why, "name list outside the container");
    }
    std::vector<std::string> names = SplitNames(bytes.subspan(listStart, listLength));
    if (names.size() > kMaxEntries) return Damaged(why, "more than 1001 entries");
    const size_t tableStart = listStart + listLength;
    if (names.size() * 4 > bytes.size() - tableStart) {
        return Damaged(why, "size table outside the container");
    }
    const size_t dataStart = tableStart + names.size() * 4;
    const size_t dataLength = bytes.size() - dataStart;
    size_t offset = 0;  // within the data part
    out->entries_.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const size_t size = ReadU32(bytes, tableStart + 4 * i);
        if (size > dataLength - offset) return Damaged(why, "entry outside the data part");
        out->entries_.push_back(ContainerEntry{std::move(names[i]), dataStart + offset, size});
        offset += size;
    }
    out->bytes_ = bytes;
    out->version_ = version;
    out->dataOffset_ = dataStart;
    return ContainerStatus::kOk;
}

const ContainerEntry* SkinContainer::FindExact(std::string_view name) const {
    const std::string wanted = LowerAscii(name);
    for (const ContainerEntry& e : entries_) {
        if (e.name == wanted) return &e;
    }
    return nullptr;
}

const ContainerEntry* SkinContainer::FindPart(std::string_view part) const {
    for (const ContainerEntry& e : entries_) {
        if (e.name.find(part) != std::string::npos) return &e;
    }
    return nullptr;
}

std::span<const uint8_t> SkinContainer::Bytes(const ContainerEntry& entry) const {
    return bytes_.subspan(entry.offset, entry.size);
}

std::vector<uint8_t> BuildContainer(const std::vector<PackEntry>& entries) {
    if (entries.size() > kMaxEntries) throw std::length_error("more than 1001 entries");
    std::string list;
    for (const PackEntry& e : entries) {
        if (e.name.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
            throw std::invalid_argument("entry name holds a line break or zero byte");
        }
        list += e.name + "\r\n";
    }
    std::vector<uint8_t> out;
    PutU32(out, kPackVersion);
    PutU32(out, uint32_t(list.size()));
    out.resize(kContainerHeader + *ContainerGap(kPackVersion), 0);
    out.insert(out.end(), list.begin(), list.end());
    for (const PackEntry& e : entries) PutU32(out, uint32_t(e.bytes.size()));
    for (const PackEntry& e : entries) out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    return out;
}

}  // namespace skin
