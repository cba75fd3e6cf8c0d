// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/qt/skin_look.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {

QColor ToColor(const skin::Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

std::optional<QColor> ToColor(const std::optional<skin::Rgb>& c) {
    if (!c) return std::nullopt;
    return ToColor(*c);
}

// Turns skin objects into pieces; the objects that share a bitmap share its
// image too (one for each transparency switch).
class PieceMaker {
public:
    SkinPiece Piece(const skin::SkinObject& o) {
        SkinPiece p;
        p.image = Image(o.bitmap, o.trans);
        p.frames = std::max(1, o.frames);
        p.margins = QMargins(o.leftWidth, o.topHeight, o.rightWidth, o.bottomHeight);
        p.tile = o.tile;
        return p;
    }

    template <typename T>
    SkinPiece Piece(const std::optional<T>& o) {
        return o ? Piece(static_cast<const skin::SkinObject&>(*o)) : SkinPiece{};
    }

    SkinBorder Border(const std::optional<skin::SkinBorder>& b);

private:
    QImage Image(const skin::SkinBitmap& bitmap, bool trans) {
        if (bitmap.Empty()) return {};
        const auto key = std::pair{bitmap.bgr.get(), trans};
        const auto it = images_.find(key);
        if (it != images_.end()) return it->second;
        QImage image = SkinImage(bitmap, trans);
        images_.emplace(key, image);
        return image;
    }

    std::map<std::pair<const std::vector<uint8_t>*, bool>, QImage> images_;
};

SkinBorder PieceMaker::Border(const std::optional<skin::SkinBorder>& b) {
    SkinBorder out;
    if (!b) return out;
    out.piece = Piece(*b);
    out.piece.margins = {};
    out.head = std::max(0, b->topHeight);
    out.tail = std::max(0, b->bottomHeight);
    out.stretch = b->stretch;
    return out;
}

}  // namespace

QImage SkinImage(const skin::SkinBitmap& bitmap, bool trans) {
    if (bitmap.Empty()) return {};
    QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32_Premultiplied);
    // Qt gives a null image when it cannot have the memory.
    if (image.isNull()) return {};
    for (int32_t y = 0; y < bitmap.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t x = 0; x < bitmap.width; ++x) {
            const skin::Rgb c = bitmap.Pixel(x, y);
            line[x] =
                trans && c == skin::Rgb{255, 0, 255} ? qRgba(0, 0, 0, 0) : qRgb(c.r, c.g, c.b);
        }
    }
    return image;
}

SkinLook SkinLookFromSkin(const skin::Skin& skin) {
    PieceMaker make;
    SkinLook look;
    const skin::Personality& p = skin.personality;
    look.left = make.Border(p.left);
    look.right = make.Border(p.right);
    look.top = make.Border(p.top);
    look.bottom = make.Border(p.bottom);
    look.textBack = make.Piece(p.title.textBack);
    look.menuBar = make.Piece(p.menuBar);
    look.textShift = p.title.textShift;
    look.textShiftVert = p.title.textShiftVert;
    look.textRightClip = p.title.textRightClip;
    look.textAlignment = p.title.textAlignment;
    look.activeText = ToColor(p.title.activeText);
    look.inactiveText = ToColor(p.title.inactiveText);
    look.fontHeight = skin.fontHeight;
    const skin::Colours& c = skin.colours;
    const std::optional<skin::Rgb> colours[] = {
        c.windowText,    c.titleTextActive, c.titleTextNoActive, c.buttonFace,     c.buttonText,
        c.buttonHilight, c.buttonLight,     c.buttonShadow,      c.buttonDkShadow, c.hilightText,
        c.hilight,       c.menubar,         c.menuBarText,       c.menuText,       c.menu,
        c.scrollbar};
    static_assert(std::size(colours) == size_t(SkinColour::Count));
    for (size_t i = 0; i < std::size(colours); ++i) look.colours[i] = ToColor(colours[i]);
    look.button = make.Piece(skin.buttons.push);
    look.check = make.Piece(skin.buttons.check);
    look.radio = make.Piece(skin.buttons.radio);
    for (const skin::SkinSysButton& b : skin.titleButtons) {
        SkinTitleButton t;
        t.piece = make.Piece(b);
        t.action = b.action;
        t.align = b.align;
        t.x = b.xcoord;
        t.y = b.ycoord;
        if (t.piece.Present()) look.titleButtons.push_back(std::move(t));
    }
    look.groupBox = make.Piece(skin.groupBox);
    look.sunkEdge = make.Piece(skin.sunkEdge);
    look.menuItem = make.Piece(skin.menuItem);
    look.menuBackground = make.Piece(skin.menuBackground);
    look.horzScroll = make.Piece(skin.horzScroll);
    look.vertScroll = make.Piece(skin.vertScroll);
    look.horzThumb = make.Piece(skin.horzScrollThumb);
    look.vertThumb = make.Piece(skin.vertScrollThumb);
    return look;
}

QRect SkinPiece::FrameRect(int frame) const {
    if (!Present()) return {};
    const QSize s = FrameSize();
    return {std::clamp(frame, 0, frames - 1) * s.width(), 0, s.width(), s.height()};
}

bool SkinLook::CanClose() const {
    if (!HasFrame()) return true;
    const int bar = top.piece.FrameSize().height();
    for (const SkinTitleButton& b : titleButtons) {
        if (b.action != int(TitleAction::Close) || !b.piece.Present()) continue;
        const QSize s = b.piece.FrameSize();
        const bool inBar = b.y >= 0 && b.y + s.height() <= bar;
        // Placed from the left edge at x, or from the right edge x to the left.
        const bool inReach = b.align == 0 ? b.x >= 0 && b.x + s.width() <= kCloseButtonReach
                                          : b.x >= s.width() && b.x <= kCloseButtonReach;
        if (inBar && inReach) return true;
    }
    return false;
}

QMargins SkinLook::FrameMargins() const {
    if (!HasFrame()) return {};
    return {left.piece.FrameSize().width(), top.piece.FrameSize().height(),
            right.piece.FrameSize().width(), bottom.piece.FrameSize().height()};
}

QPalette SkinLook::Palette(const QPalette& base) const {
    QPalette p = base;
    auto set = [&](SkinColour c, std::initializer_list<QPalette::ColorRole> roles,
                   bool disabledToo = true) {
        const std::optional<QColor> colour = Colour(c);
        if (!colour) return;
        for (QPalette::ColorRole role : roles) {
            p.setColor(QPalette::Active, role, *colour);
            p.setColor(QPalette::Inactive, role, *colour);
            if (disabledToo) p.setColor(QPalette::Disabled, role, *colour);
        }
    };
    set(SkinColour::ButtonFace, {QPalette::Window, QPalette::Button});
    set(SkinColour::WindowText, {QPalette::WindowText}, false);
    set(SkinColour::ButtonText, {QPalette::ButtonText}, false);
    set(SkinColour::ButtonHilight, {QPalette::Light});
    set(SkinColour::Buttonlight, {QPalette::Midlight});
    set(SkinColour::ButtonShadow, {QPalette::Mid, QPalette::Dark});
    set(SkinColour::ButtonDkShadow, {QPalette::Shadow});
    set(SkinColour::Hilight, {QPalette::Highlight});
    set(SkinColour::HilightText, {QPalette::HighlightedText});
    // Disabled text is the face colour mixed halfway towards the text colour,
    // so it stays readable on the skin's face.
    if (const auto face = Colour(SkinColour::ButtonFace)) {
        for (auto [textColour, role] :
             {std::pair{Colour(SkinColour::WindowText), QPalette::WindowText},
              std::pair{Colour(SkinColour::ButtonText), QPalette::ButtonText}}) {
            if (!textColour) continue;
            const QColor mixed((face->red() + textColour->red()) / 2,
                               (face->green() + textColour->green()) / 2,
                               (face->blue() + textColour->blue()) / 2);
            p.setColor(QPalette::Disabled, role, mixed);
        }
    }
    return p;
}
