// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/open_url.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
UrlOpener* g_opener = nullptr;
}

void DesktopUrlOpener::Open(const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromLocal8Bit(url)));
}

UrlOpener& CurrentUrlOpener() {
    static DesktopUrlOpener desktop;
    return g_opener ? *g_opener : desktop;
}

void SetUrlOpener(UrlOpener* opener) {
    g_opener = opener;
}
