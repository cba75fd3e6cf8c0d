// SPDX-License-Identifier: GPL-3.0-or-later
// TSkinData, the skin component: its settings, the skin file it reads and
// the skin it holds, and switching skinning on and off through the manager.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/qt/skin_errors.h"
#include "skin/qt/skin_look.h"
#include "skin/qt/skin_settings.h"
#include "skin/skin_load.h"

class QWidget;

class TSkinData : public QObject {
    Q_OBJECT

public:
    explicit TSkinData(QObject* owner = nullptr);
    ~TSkinData() override;

    const std::string& SkinFile() const { return skinFile_; }
    // Reads and loads the file at `path`. A missing file leaves the component
    // empty without a word; an older container shows the older-skin message;
    // a file that cannot be read raises ESkinFileError.
    void SetSkinFile(const std::string& path);
    bool Active() const { return active_; }
    void SetActive(bool on);

    TSkinFormtype SkinFormtype() const { return formtype_; }
    void SetSkinFormtype(TSkinFormtype type) { formtype_ = type; }
    int DisableTag() const { return disableTag_; }
    void SetDisableTag(int tag) { disableTag_ = tag; }
    TSkinControls SkinControls() const { return controls_; }
    void SetSkinControls(TSkinControls controls) { controls_ = controls; }
    TSkinOptions Options() const { return options_; }
    void SetOptions(TSkinOptions options) { options_ = options; }
    // Rows "ClassName=kind" naming the painter for controls of other
    // libraries; no such control exists in this program.
    const std::vector<std::string>& SkinThirdParty() const { return thirdParty_; }
    void SetSkinThirdParty(std::vector<std::string> rows) { thirdParty_ = std::move(rows); }
    bool MenuUpdate() const { return menuUpdate_; }
    void SetMenuUpdate(bool on) { menuUpdate_ = on; }
    bool MenuMerge() const { return menuMerge_; }
    void SetMenuMerge(bool on) { menuMerge_ = on; }
    // Fixed; assigning has no effect.
    std::string Version() const { return "5.10.09.17"; }
    void SetVersion(const std::string&) {}
    std::string SkinStore() const { return "(none)"; }
    void SetSkinStore(const std::string&) {}

    // `skin` false keeps the window unskinned.
    std::function<void(QWidget* form, bool& skin)> OnFormSkin;
    std::function<void(QWidget* form)> OnBeforeSkinForm;
    std::function<void(QWidget* form)> OnAfterSkinForm;
    std::function<void()> OnSkinChanged;

    // True until a skin description has been loaded from the skin bytes.
    bool Empty() const { return empty_; }
    const std::vector<uint8_t>& SkinBytes() const { return skinBytes_; }
    std::shared_ptr<const SkinLook> Look() const { return look_; }
    SkinPainterSettings PainterSettings() const;

    // The system calls that reading skin files makes; tests put failing ones
    // in their place.
    static void SetFileCalls(const skin::FileCalls& calls);

private:
    void LoadSkinBytes();

    std::string skinFile_;
    bool active_ = false;
    TSkinFormtype formtype_ = sfMainform;
    int disableTag_ = 99;
    TSkinControls controls_ = kDefaultSkinControls;
    TSkinOptions options_ = kDefaultSkinOptions;
    std::vector<std::string> thirdParty_;
    bool menuUpdate_ = true;
    bool menuMerge_ = false;
    bool empty_ = true;
    std::vector<uint8_t> skinBytes_;
    std::shared_ptr<const SkinLook> look_;
};
