// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a web address in the default browser, behind an interface so that
// tests record the calls instead of starting a browser.
#pragma once

#include <string>
#include <vector>

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // Asks the desktop to open the address; failures are not reported.
    virtual void Open(const std::string& url) = 0;
};

// Opens through the desktop services.
class DesktopUrlOpener : public UrlOpener {
public:
    void Open(const std::string& url) override;
};

// Records every address instead of opening it.
class RecordingUrlOpener : public UrlOpener {
public:
    void Open(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

// The opener in use; the desktop one unless another was installed.
UrlOpener& CurrentUrlOpener();
// Installs an opener (null restores the desktop one); the caller keeps ownership.
void SetUrlOpener(UrlOpener* opener);
