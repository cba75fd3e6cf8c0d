// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/skin_load.h"

#include <algorithm>
#include <map>
#include <new>
#include <optional>

#include "skin/lzhuf.h"
#include "skin/skin_bitmap.h"
#include "skin/skin_container.h"
#include "skin/skin_ini.h"

namespace skin {
namespace {

// The decoder gives at most 60 bytes for a match of about 10 bits (a 1-bit
// symbol and a 9-bit position at best), 48 bytes per input byte. A claim of
// more than 64 times the compressed size (plus room for a tiny file) cannot be
// true and would only make the decoder run on into the zeros past the input.
constexpr uint64_t kMaxExpansion = 64;
constexpr uint64_t kExpansionSlack = 4096;
// Skins are a few hundred kilobytes; no container beyond this is read, which
// also bounds the time that decoding a hostile file takes.
constexpr uint64_t kMaxContainerBytes = uint64_t{4} << 20;
// Container versions below the oldest known one are older skins; anything
// else unknown is no skin of ours.
constexpr uint32_t kOldestKnownVersion = 20000;
// Offsets of text and title-bar buttons stay within a few thousand pixels,
// font heights within what a title bar can hold.
constexpr int32_t kMaxOffset = 4096;
constexpr int32_t kMaxFontHeight = 200;

int32_t Offset(int32_t v) {
    return std::clamp(v, -kMaxOffset, kMaxOffset);
}

uint32_t ReadU32(std::span<const uint8_t> b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

using Section = SkinIni::Section;

// Turns the description's sections into skin objects.
class ObjectBuilder {
public:
    ObjectBuilder(const SkinContainer& container, const SkinIni& ini)
        : container_(container), ini_(ini) {}

    Skin Build() {
        Skin skin;
        if (const Section* s = ini_.Find("TitlebarSkin")) {
            skin.skinName = SkinIni::String(*s, "SkinName").value_or("");
        }
        skin.fontHeight = std::clamp(ini_.Number("Fonts", "FontHeight", 14), 1, kMaxFontHeight);
        skin.colours = ReadColours();
        buttonText_ = skin.colours.buttonText;
        ReadPersonality(skin.personality);
        ReadNamedColours(skin.namedColours);
        if (const Section* s = ini_.Find("Customcolors")) {
            for (int i = 0; i < 10; ++i) {
                const std::string key = "Color" + std::to_string(i);
                skin.customColors[size_t(i)] =
                    SkinIni::Colour(*s, key).value_or(Rgb{255, 255, 255});
            }
        }
        ReadButtons(skin.buttons);
        ReadTitleButtons(skin.titleButtons);
        ReadMdiButtons(skin);
        ReadProgress(skin);
        ReadOthers(skin);
        return skin;
    }

private:
    // The bitmap that a value names: its file name after the last path
    // separator, only with the extension ".bmp" as written, looked up
    // ignoring letter case.
    SkinBitmap Bitmap(const std::string& value) {
        const size_t slash = value.find_last_of("\\/");
        const std::string_view name = slash == std::string::npos
                                          ? std::string_view(value)
                                          : std::string_view(value).substr(slash + 1);
        if (name.size() < 4 || name.substr(name.size() - 4) != ".bmp") return {};
        const ContainerEntry* entry = container_.FindExact(name);
        if (!entry || entry->size == 0) return {};
        // Each entry is decoded once, however many keys name it.
        const auto [at, fresh] = decoded_.try_emplace(entry->offset);
        if (fresh) at->second = DecodeSkinBitmap(container_.Bytes(*entry), pixelsLeft_);
        return at->second;
    }

    // The object of a bitmap key; empty when the key is missing.
    std::optional<SkinObject> Object(const Section& s, std::string_view key) {
        const std::optional<std::string> value = SkinIni::String(s, key);
        if (!value) return std::nullopt;
        SkinObject o;
        o.bitmap = Bitmap(*value);
        return o;
    }

    static bool TileAtMostOne(int32_t v, int32_t over) { return (v > 1 ? over : v) != 0; }

    // Style, the margins, Frame, Trans, Tile and the text colours; returns the
    // Frame key.
    int32_t CommonKeys(const Section& s, SkinObject& o) {
        o.style = SkinIni::Number(s, "Style", 0);
        o.leftWidth = SkinIni::Number(s, "LeftWidth", 0);
        o.rightWidth = SkinIni::Number(s, "RightWidth", 0);
        o.topHeight = SkinIni::Number(s, "TopHeight", 0);
        o.bottomHeight = SkinIni::Number(s, "BottomHeight", 0);
        o.trans = SkinIni::Number(s, "Trans", 0) != 0;
        o.tile = TileAtMostOne(SkinIni::Number(s, "Tile", 0), 0);
        ClampMargins(o);
        TextColours(s, o);
        return SkinIni::Number(s, "Frame", 0);
    }

    // Margins lie within the bitmap: widths within its width, heights within
    // its height.
    static void ClampMargins(SkinObject& o) {
        const int32_t w = std::max(o.bitmap.width, 0);
        const int32_t h = std::max(o.bitmap.height, 0);
        o.leftWidth = std::clamp(o.leftWidth, 0, w);
        o.rightWidth = std::clamp(o.rightWidth, 0, w);
        o.topHeight = std::clamp(o.topHeight, 0, h);
        o.bottomHeight = std::clamp(o.bottomHeight, 0, h);
    }

    void TextColours(const Section& s, SkinObject& o) {
        o.normalColour = SkinIni::Number(s, "NormalColour", -1);
        o.mouseOverColour = SkinIni::Number(s, "MouseOverColour", -1);
        o.pressedColour = SkinIni::Number(s, "PressedColour", -1);
        o.normalColour2 = SkinIni::Colour(s, "NormalColour2");
        o.mouseOverColour2 = SkinIni::Colour(s, "MouseOverColour2");
        o.pressedColour2 = SkinIni::Colour(s, "PressedColour2");
        if (!o.normalColour2) o.normalColour2 = buttonText_;
        if (!o.mouseOverColour2) o.mouseOverColour2 = buttonText_;
        if (!o.pressedColour2) o.pressedColour2 = buttonText_;
    }

    static void SetFrames(SkinObject& o, int32_t frames) {
        o.frames = std::clamp(frames, 1, kMaxSkinBitmapSide);
    }

    Colours ReadColours() {
        Colours c;
        const Section* s = ini_.Find("Colours");
        if (!s) return c;
        const auto get = [&](const char* key) { return SkinIni::Colour(*s, key); };
        c.windowText = get("WindowText");
        c.titleTextActive = get("TitleTextActive");
        c.titleTextNoActive = get("TitleTextNoActive");
        c.buttonFace = get("ButtonFace");
        c.buttonText = get("ButtonText");
        c.buttonHilight = get("ButtonHilight");
        c.buttonLight = get("Buttonlight");
        c.buttonShadow = get("ButtonShadow");
        c.buttonDkShadow = get("ButtonDkShadow");
        c.hilightText = get("HilightText");
        c.hilight = get("Hilight");
        c.menubar = get("Menubar");
        if (!c.menubar) c.menubar = c.buttonFace;
        c.menuBarText = get("MenuBarText");
        c.menuText = get("MenuText");
        c.menu = get("Menu");
        c.scrollbar = get("Scrollbar");
        return c;
    }

    void ReadPersonality(Personality& p) {
        const Section* s = ini_.Find("Personality");
        if (!s) return;
        const auto border = [&](const std::string& x) -> std::optional<SkinBorder> {
            std::optional<SkinObject> o = Object(*s, x);
            if (!o) return std::nullopt;
            SkinBorder b;
            static_cast<SkinObject&>(b) = std::move(*o);
            // The parts kept at both ends lie along the strip: its width for
            // the top and bottom borders, its height for the sides.
            const bool across = x == "Top" || x == "Bottom";
            const int32_t length = std::max(across ? b.bitmap.width : b.bitmap.height, 0);
            b.topHeight = std::clamp(SkinIni::Number(*s, x + "TopHeight", 0), 0, length);
            b.bottomHeight = std::clamp(SkinIni::Number(*s, x + "BotHeight", 0), 0, length);
            SetFrames(b, SkinIni::Number(*s, x + "Frame", 1));
            b.stretch = std::min(SkinIni::Number(*s, x + "Stretch", 1), 1) != 0;
            b.trans = SkinIni::Number(*s, x + "Trans", 1) != 0;
            return b;
        };
        p.left = border("Left");
        p.right = border("Right");
        p.top = border("Top");
        p.bottom = border("Bottom");

        SkinTitle& t = p.title;
        t.textBack = Object(*s, "TextBack");
        if (t.textBack) SetFrames(*t.textBack, 2);
        t.textShift = Offset(SkinIni::Number(*s, "TextShift", 0));
        t.textShiftVert = Offset(SkinIni::Number(*s, "TextShiftVert", 0));
        t.textRightClip = Offset(SkinIni::Number(*s, "TextRightClip", 0));
        t.textAlignment = SkinIni::Number(*s, "TextAlignment", 0);
        t.textBackground = SkinIni::Number(*s, "Textbackground", 0);
        t.txtBackLeft = Offset(SkinIni::Number(*s, "TXTBackleft", 0));
        t.txtBackRight = Offset(SkinIni::Number(*s, "TXTBackRight", 0));
        const auto textColour = [&](const std::string& prefix) -> std::optional<Rgb> {
            const int32_t r = SkinIni::Number(*s, prefix + "R", -1);
            const int32_t g = SkinIni::Number(*s, prefix + "G", -1);
            const int32_t b = SkinIni::Number(*s, prefix + "B", -1);
            if (r < 0 || g < 0 || b < 0) return std::nullopt;
            return Rgb{uint8_t(r), uint8_t(g), uint8_t(b)};
        };
        t.activeText = textColour("ActiveText");
        t.inactiveText = textColour("InActiveText");

        p.tileMenu = SkinIni::Number(*s, "TileMenu", 1) != 0;
        p.tileLeftMenu = SkinIni::Number(*s, "TileLeftMenu", 1) != 0;
        p.tileRightMenu = SkinIni::Number(*s, "TileRightMenu", 1) != 0;
        p.menuBar = Object(*s, "menuBar");
        if (p.menuBar) {
            SetFrames(*p.menuBar, 2);
            p.menuBar->tile = p.tileMenu;
        }
    }

    // Only the first section of a name counts, as with every other lookup.
    bool FirstOfItsName(const Section& s) const { return ini_.Find(s.name) == &s; }

    void ReadNamedColours(std::vector<NamedColour>& out) {
        for (const Section& s : ini_.Sections()) {
            if (!StartsWithNoCase(s.name, "COLOUR") || EqualsNoCase(s.name, "COLOURS")) continue;
            if (!FirstOfItsName(s)) continue;
            out.push_back(NamedColour{s.name, SkinIni::Colour(s, "color")});
        }
    }

    // Check and radio strips: the given frame count, else one frame per 13
    // pixels of width for bitmaps lower than 16 pixels, else per 16 pixels.
    static int32_t BoxFrames(int32_t key, const SkinBitmap& b) {
        if (key != 0) return key;
        return std::max(b.width / (b.height < 16 ? 13 : 16), 4);
    }

    void ReadButtons(Buttons& out) {
        const Section* s = ini_.Find("Buttons");
        if (!s) return;
        SkinObject keys;
        keys.leftWidth = SkinIni::Number(*s, "LeftWidth", 0);
        keys.rightWidth = SkinIni::Number(*s, "RightWidth", 0);
        keys.topHeight = SkinIni::Number(*s, "TopHeight", 0);
        keys.bottomHeight = SkinIni::Number(*s, "BottomHeight", 0);
        keys.trans = SkinIni::Number(*s, "Trans", 0) != 0;
        keys.tile = TileAtMostOne(SkinIni::Number(*s, "Tile", 0), 0);
        TextColours(*s, keys);
        const auto with = [&](std::optional<SkinObject> o, bool margins) {
            if (!o) return o;
            SkinBitmap bitmap = std::move(o->bitmap);
            *o = keys;
            o->bitmap = std::move(bitmap);
            if (!margins) o->leftWidth = o->rightWidth = o->topHeight = o->bottomHeight = 0;
            ClampMargins(*o);
            return o;
        };
        out.push = with(Object(*s, "Bitmap"), true);
        if (out.push) SetFrames(*out.push, 5);
        // The check and radio strips are drawn whole, frame by frame.
        out.check = with(Object(*s, "CheckButton"), false);
        if (out.check) {
            SetFrames(*out.check,
                      BoxFrames(SkinIni::Number(*s, "CheckButtonFrame", 0), out.check->bitmap));
        }
        out.radio = with(Object(*s, "RadioButton"), false);
        if (out.radio) {
            SetFrames(*out.radio,
                      BoxFrames(SkinIni::Number(*s, "RadioButtonFrame", 0), out.radio->bitmap));
        }
    }

    void ReadTitleButtons(std::vector<SkinSysButton>& out) {
        for (const Section& s : ini_.Sections()) {
            if (!StartsWithNoCase(s.name, "BUTTON")) continue;
            if (EqualsNoCase(s.name, "BUTTON") || EqualsNoCase(s.name, "BUTTONS") ||
                EqualsNoCase(s.name, "BUTTON.RADIO") || EqualsNoCase(s.name, "BUTTON.CHECKBOX")) {
                continue;
            }
            if (!FirstOfItsName(s)) continue;
            const int32_t action = SkinIni::Number(s, "Action", 0);
            const int32_t visibility = SkinIni::Number(s, "Visibility", 0);
            if (action == -1 && visibility != 0) continue;
            std::optional<SkinObject> o = Object(s, "ButtonImage");
            if (!o) continue;
            SkinSysButton b;
            static_cast<SkinObject&>(b) = std::move(*o);
            b.section = s.name;
            b.action = action;
            b.align = SkinIni::Number(s, "Align", 0);
            b.xcoord = Offset(SkinIni::Number(s, "Xcoord", 0));
            b.ycoord = Offset(SkinIni::Number(s, "Ycoord", 0));
            b.visibility = visibility;
            b.visibility1 = SkinIni::Number(s, "Visibility1", 0);
            b.combineOp = SkinIni::Number(s, "CombineOp", -1);
            int32_t frames = SkinIni::Number(s, "frame", 0);
            if (frames == 0) {
                // A strip at most 3.8 times as wide as high holds 3 frames.
                const bool narrow = !b.bitmap.Empty() &&
                                    int64_t(b.bitmap.width) * 5 <= int64_t(b.bitmap.height) * 19;
                frames = action < 0 || !narrow ? 6 : 3;
            }
            SetFrames(b, frames);
            out.push_back(std::move(b));
        }
    }

    void ReadMdiButtons(Skin& skin) {
        const Section* s = ini_.Find("MDICONTROLS");
        if (!s) return;
        std::optional<SkinObject> whole = Object(*s, "Image");
        if (!whole) return;
        std::array<SkinObject, 3> parts;
        const int32_t third = whole->bitmap.width / 3;
        for (int32_t i = 0; i < 3; ++i) {
            parts[size_t(i)].bitmap = CropColumns(whole->bitmap, i * third, third);
            SetFrames(parts[size_t(i)], 4);
        }
        skin.mdiButtons = std::move(parts);
    }

    void ReadProgress(Skin& skin) {
        const Section* s = ini_.Find("Progress");
        if (!s) return;
        skin.progress = Object(*s, "Bitmap");
        if (!skin.progress) return;
        SkinObject& o = *skin.progress;
        o.style = SkinIni::Number(*s, "Style", 0);
        o.leftWidth = SkinIni::Number(*s, "LeftWidth", 0);
        o.rightWidth = SkinIni::Number(*s, "RightWidth", 0);
        o.topHeight = SkinIni::Number(*s, "TopHeight", 0);
        o.bottomHeight = SkinIni::Number(*s, "BottomHeight", 0);
        o.trans = SkinIni::Number(*s, "Trans", 0) != 0;
        o.tile = TileAtMostOne(SkinIni::Number(*s, "Tile", 0), 1);
        ClampMargins(o);
        SetFrames(o, o.style != 0 ? 1 : 2);
    }

    // How an object with the common keys counts its frames.
    enum FrameRule { kFixed, kFrameKey, kFrameKeyOr5, kFrameCountKey };

    // The object of `key` in `section` with the common keys.
    std::optional<SkinObject> Common(std::string_view section, std::string_view key, FrameRule rule,
                                     int32_t frames) {
        const Section* s = ini_.Find(section);
        if (!s) return std::nullopt;
        std::optional<SkinObject> o = Object(*s, key);
        if (!o) return o;
        const int32_t frameKey = CommonKeys(*s, *o);
        switch (rule) {
            case kFixed:
                break;
            case kFrameKey:
                frames = frameKey;
                break;
            case kFrameKeyOr5:
                frames = frameKey != 0 ? frameKey : 5;
                break;
            case kFrameCountKey:
                frames = SkinIni::Number(*s, "FrameCount", 3);
                break;
        }
        SetFrames(*o, frames);
        return o;
    }

    std::optional<SkinObject> Track(std::string_view section, const char* resource) {
        if (ini_.Find(section)) return Common(section, "Image", kFrameKey, 0);
        SkinObject o;
        o.programResource = resource;
        o.leftWidth = o.topHeight = o.rightWidth = o.bottomHeight = 3;
        return o;
    }

    void ReadOthers(Skin& skin) {
        if (const Section* s = ini_.Find("GroupBox")) {
            if (std::optional<SkinObject> o = Common("GroupBox", "Image", kFixed, 1)) {
                GroupBox g;
                static_cast<SkinObject&>(g) = std::move(*o);
                g.backgroundAlignment = SkinIni::Number(*s, "BackgroundAlignment", 0);
                g.backgroundLeftShift = Offset(SkinIni::Number(*s, "BackgroundLeftShift", 0));
                g.backgroundRightShift = Offset(SkinIni::Number(*s, "BackgroundRightShift", 0));
                skin.groupBox = std::move(g);
            }
        }
        skin.tabs = Common("Tabs", "Image", kFixed, 5);
        skin.tabsBorder = Common("Tabs", "Border", kFixed, 5);
        skin.comboButton = Common("ComboButton", "Image", kFixed, 4);
        skin.comboButton2 = Common("ComboButton", "****", kFixed, 4);
        skin.upDownHorz = Common("UpDown.Horz", "Image", kFixed, 8);
        skin.upDownHorzGlyph = Common("UpDown.Horz", "GlyphImage", kFixed, 8);
        skin.upDownVert = Common("UpDown.Vert", "Image", kFixed, 8);
        skin.upDownVertGlyph = Common("UpDown.Vert", "GlyphImage", kFixed, 8);
        skin.progressChunk = Common("Progress.Chunk", "Image", kFrameKey, 0);
        skin.groupBoxEdge = Common("GroupBoxEdge", "Image", kFixed, 2);
        skin.statusBarEdges = Common("StatusBarEdges", "Image", kFixed, 3);
        skin.tabPane = Common("Tab.Pane", "Image", kFixed, 1);
        if (skin.tabPane) {
            SkinObject& o = *skin.tabPane;
            for (int32_t* m : {&o.leftWidth, &o.topHeight, &o.rightWidth, &o.bottomHeight}) {
                *m = std::min(*m, 4);
            }
        }
        skin.toolBars = Common("ToolBars", "Image", kFixed, 5);
        skin.sunkEdge = Common("SunkEdge", "Image", kFixed, 4);
        skin.extraImages = Common("ExtraImages", "Image", kFixed, 5);
        skin.headerbar = Common("Headerbar", "Image", kFrameKeyOr5, 0);
        skin.menuItem = Common("MenuItem", "Image", kFixed, 5);
        skin.menuBackground = Common("MenuBackground", "Image", kFixed, 1);
        skin.scrollbar = Common("Scrollbar", "Image", kFixed, 23);
        skin.horzScroll = Common("HorzScroll", "Image", kFixed, 4);
        skin.vertScroll = Common("VertScroll", "Image", kFixed, 4);
        skin.horzScrollThumb = Common("HorzScrollThumb", "Image", kFrameCountKey, 0);
        skin.vertScrollThumb = Common("VertScrollThumb", "Image", kFrameCountKey, 0);
        skin.trackbarThumbHorz = Common("Trackbar.ThumbHorz", "Image", kFixed, 5);
        skin.trackbarThumbVert = Common("Trackbar.ThumbVert", "Image", kFixed, 5);
        skin.trackbarThumbLeft = Common("Trackbar.ThumbLeft", "Image", kFixed, 5);
        skin.trackbarThumbRight = Common("Trackbar.ThumbRight", "Image", kFixed, 5);
        skin.trackbarThumbUp = Common("Trackbar.ThumbUp", "Image", kFixed, 5);
        skin.trackbarThumbDown = Common("Trackbar.ThumbDown", "Image", kFixed, 5);
        skin.track = Track("Track", "TRACK");
        skin.trackVert = Track("TRACKVERT", "TRACKVERT");
    }

    const SkinContainer& container_;
    const SkinIni& ini_;
    std::optional<Rgb> buttonText_;
    uint64_t pixelsLeft_ = kMaxSkinPixels;
    std::map<size_t, SkinBitmap> decoded_;  // by entry offset
};

LoadResult Damaged(std::string detail) {
    LoadResult r;
    r.status = LoadStatus::kDamaged;
    r.detail = std::move(detail);
    return r;
}

LoadResult NoMemory() {
    LoadResult r;
    r.status = LoadStatus::kNoMemory;
    r.message = kNoMemoryMessage;
    return r;
}

LoadResult LoadContainer(std::span<const uint8_t> bytes) {
    SkinContainer container;
    std::string why;
    switch (SkinContainer::Parse(bytes, &container, &why)) {
        case ContainerStatus::kOk:
            break;
        case ContainerStatus::kDamaged:
            return Damaged(why);
        case ContainerStatus::kUnknownVersion: {
            // Garbage decodes to any version; only one below the known ones
            // is an older skin.
            const uint32_t version = ReadU32(bytes);
            if (version == 0 || version >= kOldestKnownVersion) {
                return Damaged("unknown container version " + std::to_string(version));
            }
            LoadResult r;
            r.status = LoadStatus::kOlderSkin;
            r.message = kOlderSkinMessage;
            return r;
        }
    }
    LoadResult r;
    r.status = LoadStatus::kLoaded;
    // Without a description every object stays absent.
    if (const ContainerEntry* ini = container.FindPart(".ini")) {
        const SkinIni description = SkinIni::Parse(container.Bytes(*ini));
        if (!description.Damage().empty()) return Damaged(description.Damage());
        r.skin = ObjectBuilder(container, description).Build();
    }
    return r;
}

// The decoded container's entries, description and bitmaps. Memory that
// runs out here is not the decoder's: the skin is refused without a word.
LoadResult LoadContainerOrRefuse(std::span<const uint8_t> bytes) {
    try {
        return LoadContainer(bytes);
    } catch (const std::bad_alloc&) {
        return Damaged("not enough memory for the skin's bitmaps");
    }
}

}  // namespace

LoadResult LoadSkinContainer(std::span<const uint8_t> container) {
    return LoadContainerOrRefuse(container);
}

LoadResult LoadSkin(std::span<const uint8_t> file) {
    if (file.size() < 4) return Damaged("shorter than its size field");
    const uint64_t size = ReadU32(file);
    const std::span<const uint8_t> packed = file.subspan(4);
    if (size > kMaxContainerBytes || size > kMaxExpansion * packed.size() + kExpansionSlack) {
        return Damaged("container size out of proportion to the file");
    }
    std::optional<std::vector<uint8_t>> container;
    try {
        container = LzhufDecodeWhole(packed, size_t(size));
    } catch (const std::bad_alloc&) {
        return NoMemory();
    }
    if (!container) return Damaged("compressed data ends early");
    return LoadContainerOrRefuse(*container);
}

}  // namespace skin
