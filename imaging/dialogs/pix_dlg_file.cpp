// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/pix_dlg_file.h"

#include <algorithm>
#include <cstring>

#include "imaging/control/pix_image.h"
#include "imaging/dialogs/dlg_engine.h"
#include "imaging/dialogs/pix_dlg_service.h"
#include "imaging/engine/status_codes.h"
#include "platform/global_memory.h"

namespace {

int32_t AsBoolean(int32_t v) {
    return v != 0 ? -1 : 0;
}

// The component's JPEG 2000 settings as they go into the record and come back:
// bytes 4 to 111 copied, the Booleans as -1 or 0, the size the record's and
// bytes 112 to 139 zero.
PixJ2KOptions J2KForRecord(const PixJ2KOptions& settings) {
    PixJ2KOptions o = settings;
    o.StructSize = sizeof o;
    o.Switch1 = AsBoolean(o.Switch1);
    o.Switch2 = AsBoolean(o.Switch2);
    o.Switch3 = AsBoolean(o.Switch3);
    o.Switch4 = AsBoolean(o.Switch4);
    std::memset(o.Reserved, 0, sizeof o.Reserved);
    return o;
}

// The format list in zero-filled movable global memory: one item per entry,
// each with its own block of pairs. Frees everything when it goes.
class FormatListBlocks {
public:
    FormatListBlocks() = default;
    FormatListBlocks(const FormatListBlocks&) = delete;
    FormatListBlocks& operator=(const FormatListBlocks&) = delete;
    ~FormatListBlocks() {
        for (HGLOBAL h : subBlocks_) Free(h);
        Free(list_);
    }

    // False when memory is short.
    bool Build(const std::vector<std::unique_ptr<TPixFileSaveFormat>>& formats) {
        if (formats.empty()) return true;
        list_ = GlobalAlloc(GHND, formats.size() * sizeof(PixSaveFormatItem));
        items_ = list_ ? static_cast<PixSaveFormatItem*>(GlobalLock(list_)) : nullptr;
        if (!items_) return false;
        for (size_t i = 0; i < formats.size(); ++i) {
            const TPixFileSaveFormat& f = *formats[i];
            PixSaveFormatItem& item = items_[i];
            item.StructSize = sizeof item;
            item.FileFormat = f.FileFormat();
            item.SubFormatCount = f.SubFormatCount();
            if (f.SubFormatCount() == 0) continue;
            HGLOBAL h = GlobalAlloc(GHND, f.SubFormatCount() * sizeof(PixSaveSubFormat));
            auto* subs = h ? static_cast<PixSaveSubFormat*>(GlobalLock(h)) : nullptr;
            if (!subs) {
                Free(h);
                return false;
            }
            subBlocks_.push_back(h);
            for (uint32_t j = 0; j < f.SubFormatCount(); ++j)
                subs[j] = {sizeof(PixSaveSubFormat), f.FormatBpp(j), f.SubFormats(j)};
            item.SubFormats = subs;
        }
        count_ = uint32_t(formats.size());
        return true;
    }
    PixSaveFormatItem* Items() const { return count_ ? items_ : nullptr; }
    uint32_t Count() const { return count_; }

private:
    static void Free(HGLOBAL h) {
        if (!h) return;
        while (GlobalUnlock(h)) {
        }
        GlobalFree(h);
    }
    HGLOBAL list_ = nullptr;
    PixSaveFormatItem* items_ = nullptr;
    std::vector<HGLOBAL> subBlocks_;
    uint32_t count_ = 0;
};

// Puts the engine's JPEG 2000 and JBIG2 settings back and closes the modal
// bracket, in that order, however the dialog run ends.
class DialogRunScope {
public:
    DialogRunScope() = default;
    DialogRunScope(const DialogRunScope&) = delete;
    DialogRunScope& operator=(const DialogRunScope&) = delete;
    ~DialogRunScope() {
        if (j2kSaved_) CurrentDlgEngine().SetJ2KOptions(&j2k_);
        if (jbig2Saved_) CurrentDlgEngine().SetJBIG2Options(&jbig2_);
        if (bracketOpen_) EndDialogModal();
    }
    void SaveJ2K() {
        CurrentDlgEngine().GetJ2KOptions(&j2k_);
        j2kSaved_ = true;
    }
    void SaveJBIG2() {
        CurrentDlgEngine().GetJBIG2Options(&jbig2_);
        jbig2Saved_ = true;
    }
    void OpenBracket() {
        BeginDialogModal();
        bracketOpen_ = true;
    }

private:
    PixJ2KOptions j2k_{};
    PixJBIG2Options jbig2_{};
    bool j2kSaved_ = false;
    bool jbig2Saved_ = false;
    bool bracketOpen_ = false;
};

}  // namespace

TPixFileSaveFormat::TPixFileSaveFormat(TPixDlgFile* owner, int32_t fileFormat,
                                       std::vector<Item> items)
    : owner_(owner), fileFormat_(fileFormat), count_(uint32_t(items.size())) {
    if (count_ > 0) {
        items_ = std::make_unique<Item[]>(count_);
        std::copy(items.begin(), items.end(), items_.get());
    }
}

int32_t TPixFileSaveFormat::FormatBpp(uint32_t i) const {
    if (!items_ || i >= count_)
        return owner_->CheckStatus("FormatBpp", pix::kInvalidParameter, true);
    return items_[i].bitsPerPixel;
}

int32_t TPixFileSaveFormat::SubFormats(uint32_t i) const {
    if (!items_ || i >= count_)
        return owner_->CheckStatus("SubFormats", pix::kInvalidParameter, true);
    return items_[i].subFormat;
}

TPixDlgFile::TPixDlgFile(QObject* owner) : TPixDlgComponent(owner), j2k_(pix::DefaultJ2KOptions()) {
    SetLastStatus(pix::kSuccess);
}

TPixDlgFile::~TPixDlgFile() = default;

void TPixDlgFile::SetBufferSize(uint32_t* field, uint32_t value, const char* operation) {
    if (value != 0 && value < kSmallestBufferSize) {
        CheckStatus(operation, pix::kInvalidParameter, true);
        return;
    }
    *field = value;
}

void TPixDlgFile::SetMaxFileSize(uint32_t v) {
    SetBufferSize(&maxFileSize_, v, "MaxFileSize");
}

void TPixDlgFile::SetMaxFileTitleSize(uint32_t v) {
    SetBufferSize(&maxFileTitleSize_, v, "MaxFileTitleSize");
}

void TPixDlgFile::SetJ2KOptions(const PixJ2KOptions& v) {
    j2k_ = J2KForRecord(v);
}

void TPixDlgFile::SetJBIG2Options(const PixJBIG2Options& v) {
    jbig2_ = v;
    jbig2_.StructSize = sizeof jbig2_;
}

int32_t TPixDlgFile::ShowSaveDlg(QWidget* parent) {
    PixBitmap* bitmap = PixImage() ? PixImage()->HasBitmap() : nullptr;
    if (PixDlgService()) SetLastStatus(CurrentDlgEngine().SetFont(PixDlgService()->DialogsFont()));

    // Name buffers, zero-filled; the title buffer has one byte more than it
    // says.
    const uint32_t fileSize = maxFileSize_ ? maxFileSize_ : kDefaultBufferSize;
    const uint32_t titleSize = maxFileTitleSize_ ? maxFileTitleSize_ : kDefaultBufferSize;
    std::vector<char> fileBuffer(fileSize, '\0');
    std::vector<char> titleBuffer(size_t(titleSize) + 1, '\0');
    std::memcpy(fileBuffer.data(), fileName_.data(),
                std::min<size_t>(fileName_.size(), fileSize - 1));
    std::memcpy(titleBuffer.data(), fileTitle_.data(),
                std::min<size_t>(fileTitle_.size(), titleSize));

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.nFilterIndex = uint32_t(filterIndex_);
    ofn.lpstrFile = fileBuffer.data();
    ofn.nMaxFile = fileSize;
    ofn.lpstrFileTitle = titleBuffer.data();
    ofn.nMaxFileTitle = titleSize;
    ofn.lpstrInitialDir = initialDir_.c_str();
    ofn.lpstrTitle = title_.c_str();
    ofn.Flags = openFileFlags_;

    PixDlgSaveParams record{};
    record.StructSize = sizeof record;
    record.Bitmap = bitmap;
    record.BitsPerPixel = bitsPerPixel_;
    record.FileFormat = fileFormat_;
    record.QFactor = qFactor_;
    record.PageModePlusOne = pageMode_ + 1;
    record.AuxSwitch = auxSwitch_ ? -1 : 0;
    record.AuxValue1 = auxValue1_;
    record.WithStamp = withStamp_ ? -1 : 0;
    record.StampBits = stampBits_;
    record.StampWidth = stampWidth_;
    record.StampHeight = stampHeight_;
    record.AuxValue2 = auxValue2_;
    record.AuxValue3 = auxValue3_;
    record.AuxValue4 = auxValue4_;
    record.J2KOptions = J2KForRecord(j2k_);

    // From here on the engine's settings are put back however the run ends,
    // also when the format list cannot be built.
    DialogRunScope scope;
    scope.SaveJ2K();
    CurrentDlgEngine().SetJ2KOptions(&record.J2KOptions);
    record.JBIG2Options = jbig2_;
    record.JBIG2Options.StructSize = sizeof record.JBIG2Options;
    scope.SaveJBIG2();
    CurrentDlgEngine().SetJBIG2Options(&record.JBIG2Options);

    FormatListBlocks formatList;
    if (!formatList.Build(saveFormats_)) return CheckStatus("ShowSaveDlg", pix::kNoMemory, true);
    record.FormatList = formatList.Items();
    record.FormatCount = formatList.Count();
    record.DialogFlags = DialogFlags();
    record.HelpCallback = RecordHelpCallback();
    record.UserData = this;

    scope.OpenBracket();
    const int32_t result = CurrentDlgEngine().Save(parent, &ofn, &record);
    if (result == kDlgOk) {
        fileName_.assign(record.FileName, strnlen(record.FileName, sizeof record.FileName));
        fileTitle_.assign(titleBuffer.data(), strnlen(titleBuffer.data(), titleBuffer.size()));
        filterIndex_ = int32_t(ofn.nFilterIndex);
        maxFileSize_ = ofn.nMaxFile;
        maxFileTitleSize_ = ofn.nMaxFileTitle;
        bitsPerPixel_ = record.BitsPerPixel;
        fileFormat_ = record.FileFormat;
        qFactor_ = record.QFactor;
        pageMode_ = record.PageModePlusOne - 1;
        auxSwitch_ = record.AuxSwitch != 0;
        auxValue1_ = record.AuxValue1;
        withStamp_ = record.WithStamp != 0;
        stampBits_ = record.StampBits;
        stampWidth_ = record.StampWidth;
        stampHeight_ = record.StampHeight;
        auxValue2_ = record.AuxValue2;
        auxValue3_ = record.AuxValue3;
        auxValue4_ = record.AuxValue4;
        j2k_ = J2KForRecord(record.J2KOptions);
        jbig2_ = record.JBIG2Options;
    }
    return CheckStatus("ShowSaveDlg", result, true);
}

void TPixDlgFile::RaiseError(int32_t code, const std::string& operation) {
    throw EPixDlgFileError(DlgErrorMessage(objectName().toStdString(), code, operation));
}
