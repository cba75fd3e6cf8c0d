// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps what Qt's file dialog remembers (its history, last folder, column
// widths) inside a test's temporary folder instead of the user's settings.
#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

namespace isolated_settings {

// Call before the first file dialog is made: Qt takes its settings folder
// from XDG_CONFIG_HOME when it first needs it.
inline void Use(const QTemporaryDir& dir) {
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
}

}  // namespace isolated_settings
