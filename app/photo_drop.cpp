// SPDX-License-Identifier: GPL-3.0-or-later
// A photo dropped on the window: the first local file of the drop loads as if
// its name had been confirmed in File > Load's dialog.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/handler_guard.h"
#include "app/main_window.h"

namespace {

// The first local file among the drop's URLs, or nothing.
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) return url.toLocalFile();
    return {};
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // The load runs once the drop has ended, so that a message box it shows
    // does not hold the program the photo was dragged from.
    QTimer::singleShot(0, this, [this, path] { RunHandler([this, path] { OpenPhoto(path); }); });
}
