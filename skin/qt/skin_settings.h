// SPDX-License-Identifier: GPL-3.0-or-later
// The kinds of windows a skin component serves, the control kinds it skins
// and its drawing options, each set a bit mask whose bit i is the i-th member.
#pragma once

#include <cstdint>

enum TSkinFormtype { sfMainform = 0, sfOnlyThisForm = 1, sfDialog = 2, sfDLL = 3 };

enum TSkinControl {
    xcMainMenu,
    xcPopupMenu,
    xcMenuItem,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcCheckBox,
    xcRadioButton,
    xcProgress,
    xcScrollbar,
    xcEdit,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcSpin,
    xcPanel,
    xcGroupBox,
    xcStatusBar,
    xcTab,
    xcTrackBar,
    xcSystemMenu,
    xcFastReport
};

enum TSkinOption {
    xoMDIScrollbar,
    xoMenuMerge,
    xoTransparent,
    xoPreview,
    xoParentBackGround,
    xoNoFocusRect,
    xoToolbarBK,
    xoToolbarButton,
    xoMDIChildBorder,
    xoMenuBG,
    xoFormScrollbar
};

using TSkinControls = uint32_t;
using TSkinOptions = uint32_t;

constexpr uint32_t Bit(int member) {
    return uint32_t{1} << member;
}

// Every control kind but menu items and the report designer's windows.
inline constexpr TSkinControls kDefaultSkinControls =
    Bit(xcMainMenu) | Bit(xcPopupMenu) | Bit(xcToolbar) | Bit(xcControlbar) | Bit(xcCombo) |
    Bit(xcCheckBox) | Bit(xcRadioButton) | Bit(xcProgress) | Bit(xcScrollbar) | Bit(xcEdit) |
    Bit(xcButton) | Bit(xcBitBtn) | Bit(xcSpeedButton) | Bit(xcSpin) | Bit(xcPanel) |
    Bit(xcGroupBox) | Bit(xcStatusBar) | Bit(xcTab) | Bit(xcTrackBar) | Bit(xcSystemMenu);
inline constexpr TSkinOptions kDefaultSkinOptions = Bit(xoPreview) | Bit(xoToolbarBK);
inline constexpr TSkinOptions kAllSkinOptions = (uint32_t{1} << (xoFormScrollbar + 1)) - 1;

// What a form's painter needs of its component's settings.
struct SkinPainterSettings {
    int disableTag = 99;
    TSkinControls controls = kDefaultSkinControls;
    TSkinOptions options = kDefaultSkinOptions;
};
