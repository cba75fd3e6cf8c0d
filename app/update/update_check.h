// SPDX-License-Identifier: GPL-3.0-or-later
// The update check at start-up: posts search=1 to the product's web site and
// compares the version named in the first row of the answer with this
// build's; a different version makes the user download the new one.
#pragma once

#include <string>

#include "strakel_version.h"

class QPlainTextEdit;
class TNetHTTP;

// Posts the form to "http://" + host, puts the answer into memo (the hidden
// text box that cuts it into rows) and compares the version its row 0 names.
// A different version shows the download message, opens the web site and
// requests the quit; a failure, and an answer whose row 0 names no version,
// show only the status code of the exchange. An empty host
// means a build without a web site: nothing is posted or shown.
void RunUpdateCheck(TNetHTTP& http, QPlainTextEdit& memo, const std::string& host);
