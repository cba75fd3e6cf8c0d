// SPDX-License-Identifier: GPL-3.0-or-later
// The multipart form: its fields and the read-only byte stream that produces
// the request body from them, part by part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One field of the form; only text fields are sent, the file name and content
// type stay empty.
struct TNetFormDataField {
    std::string FieldName;
    std::string FieldValue;
    std::string FileName;
    std::string ContentType;
};

using TNetFormDataFields = std::vector<TNetFormDataField>;

// The local wall-clock time that a boundary is made of.
struct TNetLocalTime {
    int year = 2000;  // full year
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;     // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

TNetLocalTime CurrentLocalTime();
// Eight hyphens and the time as mmddyyhhnnsszzz: 23 characters.
std::string FormBoundaryFor(const TNetLocalTime& time);

class TNetMultiPartFormDataStream {
public:
    // The boundary comes from the local clock at creation.
    TNetMultiPartFormDataStream();
    explicit TNetMultiPartFormDataStream(const TNetLocalTime& createdAt);

    const std::string& Boundary() const { return boundary_; }
    // "multipart/form-data; boundary=" and the boundary.
    const std::string& RequestContentType() const { return contentType_; }
    const TNetFormDataFields& Fields() const { return fields_; }

    void AddTextField(const std::string& name, const std::string& value);

    // The body size: every part plus the closing delimiter.
    int64_t Size() const { return size_ + ClosingSize(); }
    int64_t Position() const { return position_; }
    // Position 0 restarts production at the first field; any other position
    // is refused and the current one returned.
    int64_t Seek(int64_t position);
    // Copies up to count body bytes; 0 at the end of the body.
    std::size_t Read(char* buffer, std::size_t count);
    // The form is read-only: always fails with "Unsupported operation.".
    [[noreturn]] void Write(const char* buffer, std::size_t count);

private:
    std::string PartOf(const TNetFormDataField& field) const;
    int64_t ClosingSize() const { return 6 + static_cast<int64_t>(boundary_.size()) + 2; }

    std::string boundary_;
    std::string contentType_;
    TNetFormDataFields fields_;
    int64_t size_ = 0;  // sum of the parts, without the closing delimiter

    std::size_t nextField_ = 0;
    bool closingEmitted_ = false;
    std::string pending_;
    std::size_t pendingPos_ = 0;
    int64_t position_ = 0;
};
