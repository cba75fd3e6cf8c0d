// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/qt/skin_paint.h"

#include <QBrush>
#include <algorithm>
#include <cstdint>

namespace {

// Copies `source` of the image into `target`, stretched or tiled.
void Blit(QPainter& painter, const QImage& image, const QRect& source, const QRect& target,
          bool tile) {
    if (source.isEmpty() || target.isEmpty()) return;
    if (!tile || source.size() == target.size()) {
        painter.drawImage(target, image, source);
        return;
    }
    // One fill with the part as a pattern: drawing it tile by tile would
    // take a million calls for a one-pixel part in a large window.
    painter.save();
    painter.setBrushOrigin(target.topLeft());
    painter.fillRect(target, QBrush(image.copy(source)));
    painter.restore();
}

}  // namespace

void DrawPiece(QPainter& painter, const SkinPiece& piece, int frame, const QRect& target,
               bool fillMiddle) {
    if (!piece.Present() || target.isEmpty()) return;
    const QRect src = piece.FrameRect(frame);
    // Margins never exceed half of the frame or of the target.
    auto cut = [](int a, int b, int srcLen, int dstLen) {
        const int limit = std::min(srcLen, dstLen);
        if (int64_t(a) + b <= limit) return std::pair{a, b};
        const int sa = int(int64_t(a) * limit / std::max<int64_t>(1, int64_t(a) + b));
        return std::pair{sa, limit - sa};
    };
    const auto [l, r] = cut(std::max(0, piece.margins.left()), std::max(0, piece.margins.right()),
                            src.width(), target.width());
    const auto [t, b] = cut(std::max(0, piece.margins.top()), std::max(0, piece.margins.bottom()),
                            src.height(), target.height());
    const int sx[4] = {src.left(), src.left() + l, src.right() + 1 - r, src.right() + 1};
    const int sy[4] = {src.top(), src.top() + t, src.bottom() + 1 - b, src.bottom() + 1};
    const int dx[4] = {target.left(), target.left() + l, target.right() + 1 - r,
                       target.right() + 1};
    const int dy[4] = {target.top(), target.top() + t, target.bottom() + 1 - b,
                       target.bottom() + 1};
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            if (i == 1 && j == 1 && !fillMiddle) continue;
            const QRect s(QPoint(sx[i], sy[j]), QPoint(sx[i + 1] - 1, sy[j + 1] - 1));
            const QRect d(QPoint(dx[i], dy[j]), QPoint(dx[i + 1] - 1, dy[j + 1] - 1));
            // Corners keep their size; edges and middle follow the tile switch.
            Blit(painter, piece.image, s, d, piece.tile && (i == 1 || j == 1));
        }
    }
}

void DrawBorder(QPainter& painter, const SkinBorder& border, int frame, const QRect& target,
                Qt::Orientation along) {
    SkinPiece piece = border.piece;
    if (!piece.Present()) return;
    if (along == Qt::Horizontal)
        piece.margins = QMargins(border.head, 0, border.tail, 0);
    else
        piece.margins = QMargins(0, border.head, 0, border.tail);
    piece.tile = !border.stretch;
    DrawPiece(painter, piece, frame, target);
}
