// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/form_data_stream.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "net/net_errors.h"

TNetLocalTime CurrentLocalTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    TNetLocalTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(ms);
    return t;
}

std::string FormBoundaryFor(const TNetLocalTime& t) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%02d%02d%02d%02d%02d%02d%03d", t.month % 100, t.day % 100,
                  t.year % 100, t.hour % 100, t.minute % 100, t.second % 100, t.millisecond % 1000);
    return std::string(8, '-') + digits;
}

TNetMultiPartFormDataStream::TNetMultiPartFormDataStream()
    : TNetMultiPartFormDataStream(CurrentLocalTime()) {}

TNetMultiPartFormDataStream::TNetMultiPartFormDataStream(const TNetLocalTime& createdAt)
    : boundary_(FormBoundaryFor(createdAt)),
      contentType_("multipart/form-data; boundary=" + boundary_) {}

void TNetMultiPartFormDataStream::AddTextField(const std::string& name, const std::string& value) {
    fields_.push_back({name, value, "", ""});
    size_ += static_cast<int64_t>(PartOf(fields_.back()).size());
}

std::string TNetMultiPartFormDataStream::PartOf(const TNetFormDataField& field) const {
    return "--" + boundary_ + "\r\n" + "Content-Disposition: form-data; name=\"" + field.FieldName +
           "\"\r\n" + "\r\n" + field.FieldValue + "\r\n";
}

int64_t TNetMultiPartFormDataStream::Seek(int64_t position) {
    if (position == 0) {
        nextField_ = 0;
        closingEmitted_ = false;
        pending_.clear();
        pendingPos_ = 0;
        position_ = 0;
    }
    return position_;
}

std::size_t TNetMultiPartFormDataStream::Read(char* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        if (pendingPos_ == pending_.size()) {
            if (nextField_ < fields_.size()) {
                pending_ = PartOf(fields_[nextField_++]);
            } else if (!closingEmitted_) {
                pending_ = "\r\n--" + boundary_ + "--\r\n";
                closingEmitted_ = true;
            } else {
                break;
            }
            pendingPos_ = 0;
        }
        const std::size_t n = std::min(count - done, pending_.size() - pendingPos_);
        std::memcpy(buffer + done, pending_.data() + pendingPos_, n);
        pendingPos_ += n;
        done += n;
    }
    position_ += static_cast<int64_t>(done);
    return done;
}

void TNetMultiPartFormDataStream::Write(const char*, std::size_t) {
    throw ENetException("Unsupported operation.");
}
