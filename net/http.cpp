// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/http.h"

#include <vector>

#include "net/net_errors.h"
#include "net/uri.h"

namespace {
int PortOf(const TNetURI& uri) {
    // Without TLS the client cannot speak https; sending the form in clear
    // to a secure address would be worse than refusing.
    if (NetSameText(uri.Protocol, "https")) throw ENetUnknownProtocol(uri.Protocol);
    if (uri.Port.empty()) {
        if (NetSameText(uri.Protocol, "http")) return 80;
        throw ENetUnknownProtocol(uri.Protocol);
    }
    const int64_t port = NetContentLength(uri.Port);
    if (port < 1 || port > 65535) throw ENetException("Invalid port: \"" + uri.Port + "\".");
    return static_cast<int>(port);
}
// The HTTP/1.0 rule: the connection stays only when the answer asks for it.
bool KeepAlive(const TNetHTTPResponse& r) {
    return NetSameText(r.Connection, "keep-alive") || NetSameText(r.ProxyConnection, "keep-alive");
}
}  // namespace

void TNetHTTP::Disconnect() {
    if (socket_) socket_->Close();
    socket_.reset();
}

std::string TNetHTTP::HeaderBlock(const std::string& httpVersion) {
    TNetHTTPRequest& r = request_;
    TNetHeaderList& h = r.RawHeaders;
    h.Clear();
    const auto set = [&h](const char* name, const std::string& value) {
        if (!value.empty()) h.SetValue(name, value);
    };
    set("Connection", r.Connection);
    set("Proxy-Connection", r.ProxyConnection);
    set("Content-Type", r.ContentType);
    if (r.ContentLength >= 0) set("Content-Length", std::to_string(r.ContentLength));
    set("Host", r.Host);
    set("Accept", r.Accept);
    set("User-Agent", r.UserAgent);
    for (const std::string& line : r.CustomHeaders.Lines()) h.Add(line);

    std::string block = r.Method + " " + r.URL + " " + httpVersion + "\r\n";
    for (const std::string& line : h.Lines()) block += line + "\r\n";
    block += "\r\n";
    return block;
}

void TNetHTTP::SendForm(TNetMultiPartFormDataStream& form) {
    form.Seek(0);
    std::vector<char> piece(static_cast<std::size_t>(sendBufferSize_));
    int64_t left = form.Size();
    while (left > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<int64_t>(left, static_cast<int64_t>(piece.size())));
        const std::size_t got = form.Read(piece.data(), want);
        if (got == 0) break;
        socket_->WriteAll(piece.data(), got);
        left -= static_cast<int64_t>(got);
    }
}

std::string TNetHTTP::PostForm(const std::string& url, TNetMultiPartFormDataStream& form) {
    Disconnect();
    // A failure of this post must not show the code of an earlier one.
    lastStatusLine_.clear();
    response_.Clear();

    const bool keepProtocol = (options_ & hoKeepOrigProtocol) != 0;
    const std::string version = keepProtocol && protocolVersion_ == TNetHTTPProtocolVersion::pv1_1
                                    ? "HTTP/1.1"
                                    : "HTTP/1.0";
    const TNetURI uri(url);
    port_ = PortOf(uri);
    request_.Method = "POST";
    request_.URL = uri.PathAndParams();
    request_.ContentType = form.RequestContentType();
    request_.ContentLength = form.Size();
    request_.Host = uri.Host + (port_ != 80 ? ":" + std::to_string(port_) : "");
    if (version == "HTTP/1.0" && request_.Connection.empty()) request_.Connection = "keep-alive";

    try {
        const TNetDeadline deadline = TNetDeadline::After(exchangeTimeoutMs_);
        const auto connectDeadline = [&] {
            return deadline.Earlier(TNetDeadline::After(connectTimeoutMs_));
        };
        const in_addr address = NetResolveHost(*api_, uri.Host, connectDeadline());
        socket_ = std::make_unique<TNetIOHandlerSocket>(*api_);
        socket_->SetWriteDeadline(deadline);
        socket_->Connect(address, static_cast<uint16_t>(port_), connectDeadline());

        const std::string header = HeaderBlock(version);
        socket_->WriteAll(header.data(), header.size());
        SendForm(form);

        if (allowCookies_ && !cookies_) cookies_ = std::make_unique<TNetCookieManager>();
        TNetAnswerReader reader(*socket_, answer_, deadline);
        const auto settle = [&] {
            if (reader.PeerClosed() || !KeepAlive(response_)) Disconnect();
        };
        std::string body;
        try {
            body = reader.Receive(response_, lastStatusLine_, cookies_.get(), uri.Host);
        } catch (const ENetHTTPProtocolException&) {
            // A refused answer was still read to its end: the connection may stay.
            settle();
            throw;
        }
        settle();
        return body;
    } catch (const ENetHTTPProtocolException&) {
        throw;
    } catch (...) {
        Disconnect();
        throw;
    }
}
