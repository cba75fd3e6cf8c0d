// SPDX-License-Identifier: GPL-3.0-or-later
// SkinLook, a loaded skin in the terms the painters use: each skin object's
// bitmap as an image with its frames, margins and switches, the title-bar
// buttons, the title text settings and the colours.
#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QPalette>
#include <QRect>
#include <array>
#include <optional>
#include <vector>

#include "skin/skin_objects.h"

// One skin object: a strip of `frames` images side by side. Pixels of the
// transparent colour are cleared when the object is transparent.
struct SkinPiece {
    QImage image;  // ARGB32 premultiplied
    int frames = 1;
    QMargins margins;  // left width, top height, right width, bottom height
    bool tile = false;

    bool Present() const { return !image.isNull() && frames > 0 && image.width() >= frames; }
    QSize FrameSize() const {
        return Present() ? QSize(image.width() / frames, image.height()) : QSize();
    }
    // The source rectangle of `frame`, clamped to the frames the strip has.
    QRect FrameRect(int frame) const;
};

// A window border strip; along the strip the first `head` and the last `tail`
// pixels keep their size and the rest is stretched (or tiled).
struct SkinBorder {
    SkinPiece piece;
    int head = 0;
    int tail = 0;
    bool stretch = true;
};

// What a title-bar button does when clicked.
enum class TitleAction { Close = 0, Maximize = 1, Minimize = 2, None = -1 };

struct SkinTitleButton {
    SkinPiece piece;  // frames: normal, hover, pressed (and the same inactive)
    int action = 0;
    int align = 0;  // 0: Xcoord from the left edge; otherwise from the right edge
    int x = 0;
    int y = 0;
};

// The colours of the Colours section, in its order.
enum class SkinColour {
    WindowText,
    TitleTextActive,
    TitleTextNoActive,
    ButtonFace,
    ButtonText,
    ButtonHilight,
    Buttonlight,
    ButtonShadow,
    ButtonDkShadow,
    HilightText,
    Hilight,
    Menubar,
    MenuBarText,
    MenuText,
    Menu,
    Scrollbar,
    Count
};

struct SkinLook {
    SkinBorder left, right, top, bottom;
    SkinPiece textBack;
    SkinPiece menuBar;  // frames: active, inactive
    int textShift = 0;
    int textShiftVert = 0;
    int textRightClip = 0;
    int textAlignment = 0;  // 0 left, 1 right, 2 centre
    std::optional<QColor> activeText, inactiveText;
    int fontHeight = 14;
    std::array<std::optional<QColor>, static_cast<size_t>(SkinColour::Count)> colours;

    SkinPiece button;  // normal, hover, pressed, disabled, default
    SkinPiece check;   // unchecked normal, hover, pressed, disabled, then checked
    SkinPiece radio;
    std::vector<SkinTitleButton> titleButtons;
    SkinPiece groupBox, sunkEdge, menuItem, menuBackground;
    SkinPiece horzScroll, vertScroll, horzThumb, vertThumb;

    // The skin draws a window frame only when it has a title strip.
    bool HasFrame() const { return top.piece.Present(); }
    // Whether a window it frames can be closed: without a frame of its own
    // the system's stays; with one, a close button must lie wholly inside
    // the title bar and within kCloseButtonReach pixels of its edge, so that
    // even a small message box shows it.
    bool CanClose() const;
    // The widths of the frame around a window's contents.
    QMargins FrameMargins() const;
    std::optional<QColor> Colour(SkinColour c) const { return colours[static_cast<size_t>(c)]; }
    // `base` with the roles the skin colours.
    QPalette Palette(const QPalette& base) const;
};

inline constexpr int kCloseButtonReach = 200;

// The look of a loaded skin. Objects that share a bitmap share its image.
SkinLook SkinLookFromSkin(const skin::Skin& skin);
// A skin bitmap as an image; magenta pixels are cleared when `trans` is set.
// A null image when the bitmap is empty or the memory cannot be had.
QImage SkinImage(const skin::SkinBitmap& bitmap, bool trans);
