// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP client that posts a multipart form and returns the answer's body:
// request settings, URL handling, the request bytes, and the connection that
// may stay open between posts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/cookie_manager.h"
#include "net/form_data_stream.h"
#include "net/header_list.h"
#include "net/http_answer.h"
#include "net/socket_api.h"
#include "net/socket_handler.h"

enum class TNetHTTPProtocolVersion { pv1_0, pv1_1 };

// Bit values of the options set.
enum TNetHTTPOption : unsigned {
    hoInProcessAuth = 1,
    hoKeepOrigProtocol = 2,
    hoForceEncodeParams = 4,
};

enum class TNetMaxLineAction { maException, maSplit };

struct TNetHTTPRequest {
    std::string Method;
    std::string URL;   // the request target
    std::string Host;  // the Host header value
    std::string Connection;
    std::string ProxyConnection;
    std::string Accept = "text/html, */*";
    std::string UserAgent = "Mozilla/3.0 (compatible; Net Library)";
    std::string ContentType = "text/html";
    int64_t ContentLength = -1;
    std::string Username;
    std::string Password;
    bool BasicAuthentication = false;
    TNetHeaderList CustomHeaders;
    TNetHeaderList RawHeaders{1024};
};

class TNetHTTP {
public:
    TNetHTTP() = default;
    ~TNetHTTP() { Disconnect(); }
    TNetHTTP(const TNetHTTP&) = delete;
    TNetHTTP& operator=(const TNetHTTP&) = delete;

    // Posts the form to the URL and returns the answer's body, bytes as
    // received. Every failure throws a member of the ENetException family.
    // The form stays the caller's; it is only read.
    std::string PostForm(const std::string& url, TNetMultiPartFormDataStream& form);

    // The code of the last status line received; -1 before any, or when the
    // line carries no number.
    int LastStatusCode() const { return NetStatusCode(lastStatusLine_); }
    const std::string& LastStatusLine() const { return lastStatusLine_; }

    TNetHTTPRequest& Request() { return request_; }
    const TNetHTTPResponse& Response() const { return response_; }
    // Created at the first answer when cookies are allowed; null before.
    const TNetCookieManager* CookieManager() const { return cookies_.get(); }

    bool Connected() const { return socket_ && socket_->Connected(); }
    void Disconnect();

    TNetHTTPProtocolVersion ProtocolVersion() const { return protocolVersion_; }
    void SetProtocolVersion(TNetHTTPProtocolVersion v) { protocolVersion_ = v; }
    unsigned HTTPOptions() const { return options_; }
    void SetHTTPOptions(unsigned options) { options_ = options; }
    // Redirects are never followed, whatever this says.
    bool HandleRedirects() const { return handleRedirects_; }
    void SetHandleRedirects(bool on) { handleRedirects_ = on; }
    int RedirectMaximum() const { return redirectMaximum_; }
    void SetRedirectMaximum(int n) { redirectMaximum_ = n; }
    int AuthRetries() const { return authRetries_; }
    void SetAuthRetries(int n) { authRetries_ = n; }
    bool AllowCookies() const { return allowCookies_; }
    void SetAllowCookies(bool on) { allowCookies_ = on; }
    int MaxLineLength() const { return static_cast<int>(answer_.limits.maxLineLength); }
    void SetMaxLineLength(int n) { answer_.limits.maxLineLength = n > 0 ? n : 0; }
    // Only maException is supported: an overlong line fails the exchange.
    TNetMaxLineAction MaxLineAction() const { return TNetMaxLineAction::maException; }
    int RecvBufferSize() const { return static_cast<int>(answer_.limits.recvBufferSize); }
    void SetRecvBufferSize(int n) { answer_.limits.recvBufferSize = n > 0 ? n : 1; }
    int SendBufferSize() const { return sendBufferSize_; }
    void SetSendBufferSize(int n) { sendBufferSize_ = n > 0 ? n : 1; }
    int Port() const { return port_; }

    // Limits of our own, so that a server that stays silent, trickles or
    // never stops sending cannot hold the caller for ever or fill its memory.
    // Times in milliseconds, 0 meaning no limit.
    //
    // The whole exchange, from the start of the host lookup to the end of the
    // answer, the body of a refused answer included.
    int ExchangeTimeout() const { return exchangeTimeoutMs_; }
    void SetExchangeTimeout(int ms) { exchangeTimeoutMs_ = ms; }
    // The host lookup and the connect, each within the exchange's time.
    int ConnectTimeout() const { return connectTimeoutMs_; }
    void SetConnectTimeout(int ms) { connectTimeoutMs_ = ms; }
    // The whole body of a refused answer, within the exchange's time.
    int ErrorBodyTimeout() const { return answer_.errorBodyTimeoutMs; }
    void SetErrorBodyTimeout(int ms) { answer_.errorBodyTimeoutMs = ms; }
    // Status, headers and body of one exchange together, in bytes.
    std::size_t MaxAnswerSize() const { return answer_.limits.maxAnswerSize; }
    void SetMaxAnswerSize(std::size_t bytes) { answer_.limits.maxAnswerSize = bytes; }

    // The socket calls in use (the system's unless replaced; the caller keeps
    // ownership of a replacement).
    void SetSocketApi(NetSocketApi* api) { api_ = api ? api : &SystemSocketApi(); }

    // The request line and header lines that PostForm sends, with the empty
    // line that ends them; built from Request().
    std::string HeaderBlock(const std::string& httpVersion);

private:
    void SendForm(TNetMultiPartFormDataStream& form);

    TNetHTTPRequest request_;
    TNetHTTPResponse response_;
    std::string lastStatusLine_;
    std::unique_ptr<TNetCookieManager> cookies_;
    std::unique_ptr<TNetIOHandlerSocket> socket_;
    NetSocketApi* api_ = &SystemSocketApi();

    TNetHTTPProtocolVersion protocolVersion_ = TNetHTTPProtocolVersion::pv1_1;
    unsigned options_ = hoForceEncodeParams;
    bool handleRedirects_ = false;
    int redirectMaximum_ = 15;
    int authRetries_ = 3;
    bool allowCookies_ = true;
    int sendBufferSize_ = 32768;
    int port_ = 80;
    int exchangeTimeoutMs_ = 15000;
    int connectTimeoutMs_ = 5000;
    TNetAnswerSettings answer_;
};
