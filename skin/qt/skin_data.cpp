// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/qt/skin_data.h"

#include <new>

#include "platform/qt/message_box.h"
#include "skin/qt/skin_manager.h"
#include "skin/skin_load.h"

namespace {
skin::FileCalls& FileCalls() {
    static skin::FileCalls calls = skin::SystemFileCalls();
    return calls;
}
}  // namespace

void TSkinData::SetFileCalls(const skin::FileCalls& calls) {
    FileCalls() = calls;
}

TSkinData::TSkinData(QObject* owner) : QObject(owner) {
    // Menu items are painted with the menus they belong to; without a main
    // menu the window menu is not skinned either.
    if (controls_ & Bit(xcMainMenu))
        controls_ &= ~Bit(xcMenuItem);
    else
        controls_ &= ~Bit(xcSystemMenu);
    if (TSkinManager* manager = TSkinManager::Instance()) manager->Register(this);
}

TSkinData::~TSkinData() {
    if (TSkinManager* manager = TSkinManager::Instance()) manager->Unregister(this);
}

void TSkinData::SetSkinFile(const std::string& path) {
    empty_ = true;
    skinFile_ = path;
    skin::FileResult file = skin::ReadSkinFile(path, FileCalls());
    if (file.status == skin::FileStatus::kMissing) return;
    if (file.status == skin::FileStatus::kCannotOpen) throw ESkinFileError(file.message);
    skinBytes_ = std::move(file.bytes);
    LoadSkinBytes();
}

void TSkinData::LoadSkinBytes() {
    skin::LoadResult loaded = skin::LoadSkin(skinBytes_);
    switch (loaded.status) {
        case skin::LoadStatus::kLoaded:
            break;
        case skin::LoadStatus::kOlderSkin:
            ShowUserMessage(loaded.message);
            return;
        case skin::LoadStatus::kNoMemory:
            throw ElzhException(loaded.message);
        case skin::LoadStatus::kDamaged:
            // A damaged file is not used; the standard look stays.
            return;
    }
    std::shared_ptr<const SkinLook> look;
    try {
        look = std::make_shared<const SkinLook>(SkinLookFromSkin(loaded.skin));
    } catch (const std::bad_alloc&) {
        // The window images do not fit: the standard look stays.
        return;
    }
    // A frame of the skin's own without a close button would leave the
    // window impossible to close: the standard look stays.
    if (!look->CanClose()) return;
    look_ = std::move(look);
    empty_ = false;
    if (TSkinManager* manager = TSkinManager::Instance()) manager->SkinFileChanged(this);
    if (OnSkinChanged) OnSkinChanged();
}

void TSkinData::SetActive(bool on) {
    if (on == active_) return;
    active_ = on;
    TSkinManager* manager = TSkinManager::Instance();
    if (!manager) return;
    if (!on) {
        manager->SwitchOff(this);
        return;
    }
    // Switched on without a loaded skin: it reads as active and skins nothing.
    if (empty_) return;
    manager->SwitchOn(this);
}

SkinPainterSettings TSkinData::PainterSettings() const {
    return {disableTag_, controls_, options_};
}
