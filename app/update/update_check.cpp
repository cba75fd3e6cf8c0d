// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/update_check.h"

#include <exception>
#include <string_view>

#include "app/update/memo_rows.h"
#include "net/form_data_stream.h"
#include "net/http.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_url.h"
#include "platform/qt/quit_request.h"

namespace {
std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The version that row 0 names: "version" followed by a digit and any further
// digits and dots, starting at the first lower-case "version" or, when there
// is none, at the start of the row in any letter case. Empty when the row
// names no version there (an error page, an empty answer, "version 2.1").
std::string VersionToken(const std::string& row) {
    static constexpr std::string_view kWord = "VERSION";
    const std::size_t found = row.find("version");
    const std::size_t start = found == std::string::npos ? 0 : found;
    if (UpperAscii(row.substr(start, kWord.size())) != kWord) return "";
    std::size_t end = start + kWord.size();
    if (end >= row.size() || !IsDigit(row[end])) return "";
    while (end < row.size() && (IsDigit(row[end]) || row[end] == '.')) ++end;
    return row.substr(start, end - start);
}
}  // namespace

void RunUpdateCheck(TNetHTTP& http, QPlainTextEdit& memo, const std::string& host) {
    if (host.empty()) return;
    TNetMultiPartFormDataStream form;
    form.AddTextField("search", "1");
    const auto showStatusCode = [&http] { ShowUserMessage(std::to_string(http.LastStatusCode())); };
    try {
        const std::string answer = http.PostForm("http://" + host, form);
        SetMemoAnswer(memo, answer);
        const std::string token = VersionToken(MemoRowZero(memo));
        // An answer that names no version (an error page, say) is a failed
        // check, not a different version.
        if (token.empty()) {
            showStatusCode();
            return;
        }
        if (UpperAscii(token) == UpperAscii(kStrakelVersionText)) return;
        ShowUserMessage("Please download new version of Strakel from " + host);
        CurrentUrlOpener().Open("http://" + host);
        RequestQuit();
    } catch (const std::exception&) {
        showStatusCode();
    }
}
