// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the HTTP answer reader as a peer's answer: status
// line, header block, and a body by length, by chunks or up to the close.
// The first byte chooses the size of the pieces the stream hands out.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/http_answer.h"
#include "net/memory_stream.h"
#include "net/net_errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = static_cast<std::size_t>(data[0] % 64) + 1;
    const std::string answer(reinterpret_cast<const char*>(data + 1), size - 1);
    TNetMemoryStream stream(answer, piece);
    TNetAnswerSettings settings;
    settings.limits.maxLineLength = 1024;
    settings.limits.maxAnswerSize = 64 * 1024;
    TNetAnswerReader reader(stream, settings);
    TNetHTTPResponse response;
    std::string statusLine;
    TNetCookieManager cookies;
    try {
        const std::string body = reader.Receive(response, statusLine, &cookies, "host");
        if (body.size() > settings.limits.maxAnswerSize) __builtin_trap();
    } catch (const ENetException&) {
    }
    return 0;
}
