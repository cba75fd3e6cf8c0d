// SPDX-License-Identifier: GPL-3.0-or-later
// The skin objects that a skin description defines: bitmaps with their margins
// and frame strips, title and border settings, colours and title-bar buttons.
// Plain values without Qt; the painters in skin/qt draw from them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace skin {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A decoded bitmap entry: 24-bit pixels in blue-green-red order, rows from top
// to bottom, 3 * width bytes a row without padding. Palette files are expanded.
// Every object that names the same entry shares its pixels.
struct SkinBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::shared_ptr<const std::vector<uint8_t>> bgr;

    bool Empty() const {
        return width <= 0 || height <= 0 || !bgr ||
               bgr->size() < size_t(width) * size_t(height) * 3;
    }
    Rgb Pixel(int32_t x, int32_t y) const {
        const size_t at = (size_t(y) * size_t(width) + size_t(x)) * 3;
        return Rgb{(*bgr)[at + 2], (*bgr)[at + 1], (*bgr)[at]};
    }
};

// One skinned element: a bitmap that holds `frames` images side by side, the
// four margins that stay unscaled when it is stretched, and its switches.
struct SkinObject {
    SkinBitmap bitmap;  // empty when the value names no usable ".bmp" entry
    int32_t leftWidth = 0;
    int32_t topHeight = 0;
    int32_t rightWidth = 0;
    int32_t bottomHeight = 0;
    int32_t frames = 1;  // always at least 1
    bool trans = false;  // magenta (255, 0, 255) pixels are transparent
    bool tile = false;   // tile the middle part instead of stretching it
    int32_t style = 0;
    // Text colours as the description's numbers, -1 when not given.
    int32_t normalColour = -1;
    int32_t mouseOverColour = -1;
    int32_t pressedColour = -1;
    // Text colours as red-green-blue values; empty means the ButtonText colour
    // (the skin's, else the system's).
    std::optional<Rgb> normalColour2;
    std::optional<Rgb> mouseOverColour2;
    std::optional<Rgb> pressedColour2;
    // Set when the description has no section for the object and the
    // program's own image of that name ("TRACK", "TRACKVERT") stands in; the
    // bitmap is then empty.
    std::string programResource;

    // Width of one frame of the strip; 0 when the bitmap is empty or narrower
    // than its frame count.
    int32_t FrameWidth() const { return bitmap.Empty() ? 0 : bitmap.width / frames; }
};

// A window border (TSkinBorder): topHeight and bottomHeight are the parts of
// the strip that are not stretched.
struct SkinBorder : SkinObject {
    bool stretch = true;  // stretch the middle part; tile it when false
};

// The title text and the image behind it (TSkinTitle).
struct SkinTitle {
    std::optional<SkinObject> textBack;  // 2 frames: active, inactive
    int32_t textShift = 0;
    int32_t textShiftVert = 0;
    int32_t textRightClip = 0;
    int32_t textAlignment = 0;
    int32_t textBackground = 0;
    int32_t txtBackLeft = 0;
    int32_t txtBackRight = 0;
    // Set only when all three of the description's parts are 0 or more.
    std::optional<Rgb> activeText;
    std::optional<Rgb> inactiveText;
};

// The window frame: borders, title and menu bar.
struct Personality {
    std::optional<SkinBorder> left;
    std::optional<SkinBorder> right;
    std::optional<SkinBorder> top;
    std::optional<SkinBorder> bottom;
    SkinTitle title;
    std::optional<SkinObject> menuBar;  // 2 frames
    bool tileMenu = true;
    bool tileLeftMenu = true;
    bool tileRightMenu = true;
};

// The Colours section. An empty colour keeps the system colour of its role.
struct Colours {
    std::optional<Rgb> windowText;
    std::optional<Rgb> titleTextActive;
    std::optional<Rgb> titleTextNoActive;
    std::optional<Rgb> buttonFace;
    std::optional<Rgb> buttonText;
    std::optional<Rgb> buttonHilight;
    std::optional<Rgb> buttonLight;
    std::optional<Rgb> buttonShadow;
    std::optional<Rgb> buttonDkShadow;
    std::optional<Rgb> hilightText;
    std::optional<Rgb> hilight;
    // Already the ButtonFace colour when the key is missing; empty when both
    // are missing (then the system's button face colour applies).
    std::optional<Rgb> menubar;
    std::optional<Rgb> menuBarText;
    std::optional<Rgb> menuText;
    std::optional<Rgb> menu;
    std::optional<Rgb> scrollbar;
};

// A section whose name starts with COLOUR (other than COLOURS) and its colour.
struct NamedColour {
    std::string section;  // as written in the description
    std::optional<Rgb> color;
};

// The push, check and radio button images of the Buttons section.
struct Buttons {
    std::optional<SkinObject> push;  // 5 frames: normal, hover, pressed, disabled, default
    std::optional<SkinObject> check;
    std::optional<SkinObject> radio;
};

// A title-bar button (TSkinSysButton), from a BUTTON... section.
struct SkinSysButton : SkinObject {
    std::string section;  // as written in the description
    int32_t action = 0;
    int32_t align = 0;
    int32_t xcoord = 0;
    int32_t ycoord = 0;
    int32_t visibility = 0;
    int32_t visibility1 = 0;
    int32_t combineOp = -1;
};

// The GroupBox section's image and its background placement.
struct GroupBox : SkinObject {
    int32_t backgroundAlignment = 0;
    int32_t backgroundLeftShift = 0;
    int32_t backgroundRightShift = 0;
};

inline constexpr std::array<Rgb, 10> WhiteColours() {
    std::array<Rgb, 10> all{};
    all.fill(Rgb{255, 255, 255});
    return all;
}

// Everything a skin description defines. Objects whose bitmap key is missing
// are empty optionals.
struct Skin {
    std::string skinName;  // TitlebarSkin: SkinName
    Personality personality;
    int32_t fontHeight = 14;
    Colours colours;
    std::vector<NamedColour> namedColours;              // in section order
    std::array<Rgb, 10> customColors = WhiteColours();  // Customcolors: Color0 to Color9
    Buttons buttons;
    std::vector<SkinSysButton> titleButtons;              // in section order
    std::optional<std::array<SkinObject, 3>> mdiButtons;  // MDICONTROLS cut in thirds, 4 frames
    std::optional<SkinObject> progress;
    std::optional<GroupBox> groupBox;
    std::optional<SkinObject> tabs;
    std::optional<SkinObject> tabsBorder;
    std::optional<SkinObject> comboButton;
    std::optional<SkinObject> comboButton2;  // the ComboButton "****" key
    std::optional<SkinObject> upDownHorz;
    std::optional<SkinObject> upDownHorzGlyph;
    std::optional<SkinObject> upDownVert;
    std::optional<SkinObject> upDownVertGlyph;
    std::optional<SkinObject> progressChunk;
    std::optional<SkinObject> groupBoxEdge;
    std::optional<SkinObject> statusBarEdges;
    std::optional<SkinObject> tabPane;
    std::optional<SkinObject> toolBars;
    std::optional<SkinObject> sunkEdge;
    std::optional<SkinObject> extraImages;
    std::optional<SkinObject> headerbar;
    std::optional<SkinObject> menuItem;
    std::optional<SkinObject> menuBackground;
    std::optional<SkinObject> scrollbar;
    std::optional<SkinObject> horzScroll;
    std::optional<SkinObject> vertScroll;
    std::optional<SkinObject> horzScrollThumb;
    std::optional<SkinObject> vertScrollThumb;
    std::optional<SkinObject> trackbarThumbHorz;
    std::optional<SkinObject> trackbarThumbVert;
    std::optional<SkinObject> trackbarThumbLeft;
    std::optional<SkinObject> trackbarThumbRight;
    std::optional<SkinObject> trackbarThumbUp;
    std::optional<SkinObject> trackbarThumbDown;
    // Without a Track or TRACKVERT section these hold the program's own image
    // (programResource "TRACK" or "TRACKVERT"), all margins 3 and 1 frame.
    std::optional<SkinObject> track;
    std::optional<SkinObject> trackVert;
};

}  // namespace skin
