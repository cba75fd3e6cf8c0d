#include "app/update/update_check.h"

#include <exception>

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

// The ten characters from the first "version" (or from the start when there
// is none), compared with this build's version, letter case aside.
bool SameVersion(const std::string& row) {
    const std::size_t found = row.find("version");
    const std::string token = row.substr(found == std::string::npos ? 0 : found, 10);
    return UpperAscii(token) == UpperAscii(kStrakelVersionText);
}
}  // namespace

void RunUpdateCheck(TNetHTTP& http, QPlainTextEdit& memo, const std::string& host) {
    if (host.empty()) return;
    TNetMultiPartFormDataStream form;
    form.AddTextField("search", "1");
    try {
        const std::string answer = http.PostForm("http://" + host, form);
        SetMemoAnswer(memo, answer);
        if (SameVersion(MemoRowZero(memo))) return;
        ShowUserMessage("Please download new version of Strakel from " + host);
        CurrentUrlOpener().Open("http://" + host);
        RequestQuit();
    } catch (const std::exception&) {
        ShowUserMessage(std::to_string(http.LastStatusCode()));
    }
}
