// SPDX-License-Identifier: GPL-3.0-or-later
// TPixDlgFile, the component that runs the engine's save dialog for the bitmap
// of an image control and keeps the user's choices as its properties, and
// TPixFileSaveFormat, one entry of the formats it offers. It saves nothing.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/dialogs/pix_dlg_component.h"
#include "imaging/engine/format_options.h"
#include "imaging/engine/ui/save_dialog_records.h"

class TPixDlgFile;

// A progress event taking two percentages and returning a value; the save
// dialog never calls it.
using TDlgOpenFileEvent = std::function<int32_t(QObject* sender, int32_t a, int32_t b)>;

// One format offered to the save dialog: its code and its bits-per-pixel and
// sub-format pairs. Owned by its TPixDlgFile.
class TPixFileSaveFormat {
public:
    struct Item {
        int32_t bitsPerPixel;
        int32_t subFormat;
    };

    TPixFileSaveFormat(TPixDlgFile* owner, int32_t fileFormat, std::vector<Item> items = {});

    TPixDlgFile* Owner() const { return owner_; }
    int32_t FileFormat() const { return fileFormat_; }
    uint32_t SubFormatCount() const { return count_; }
    // Item i's values; an index not below the count, or an entry without
    // items, goes to the owner's status check with -13 (raised when its
    // EnableMethodErrors is set, else returned as the value).
    int32_t FormatBpp(uint32_t i) const;
    int32_t SubFormats(uint32_t i) const;

private:
    TPixDlgFile* owner_;
    int32_t fileFormat_;
    uint32_t count_;
    std::unique_ptr<Item[]> items_;
};

class TPixDlgFile : public TPixDlgComponent {
    Q_OBJECT

public:
    static constexpr uint32_t kDefaultBufferSize = 26400;
    static constexpr uint32_t kSmallestBufferSize = 256;

    explicit TPixDlgFile(QObject* owner = nullptr);
    ~TPixDlgFile() override;

    TDlgOpenFileEvent OnOpenFile;

    // General properties.
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& v) { fileName_ = v; }
    const std::string& FileTitle() const { return fileTitle_; }
    void SetFileTitle(const std::string& v) { fileTitle_ = v; }
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& v) { initialDir_ = v; }
    int32_t FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int32_t v) { filterIndex_ = v; }
    uint32_t OpenFileFlags() const { return openFileFlags_; }
    void SetOpenFileFlags(uint32_t v) { openFileFlags_ = v; }
    // 0 means 26400; 1 to 255 are refused with -13 and keep the old value.
    uint32_t MaxFileSize() const { return maxFileSize_; }
    void SetMaxFileSize(uint32_t v);
    uint32_t MaxFileTitleSize() const { return maxFileTitleSize_; }
    void SetMaxFileTitleSize(uint32_t v);
    // The formats offered; owned, freed with the component.
    std::vector<std::unique_ptr<TPixFileSaveFormat>>& SaveFormats() { return saveFormats_; }

    // Save settings.
    int32_t BitsPerPixel() const { return bitsPerPixel_; }
    void SetBitsPerPixel(int32_t v) { bitsPerPixel_ = v; }
    int32_t FileFormat() const { return fileFormat_; }
    void SetFileFormat(int32_t v) { fileFormat_ = v; }
    int32_t QFactor() const { return qFactor_; }
    void SetQFactor(int32_t v) { qFactor_ = v; }
    int32_t PageMode() const { return pageMode_; }
    void SetPageMode(int32_t v) { pageMode_ = v; }
    bool AuxSwitch() const { return auxSwitch_; }
    void SetAuxSwitch(bool v) { auxSwitch_ = v; }
    // The engine's save dialog keeps the compression here, plus one
    // (DlgSaveCompression); the component only carries it.
    int32_t AuxValue1() const { return auxValue1_; }
    void SetAuxValue1(int32_t v) { auxValue1_ = v; }
    bool WithStamp() const { return withStamp_; }
    void SetWithStamp(bool v) { withStamp_ = v; }
    int32_t StampBits() const { return stampBits_; }
    void SetStampBits(int32_t v) { stampBits_ = v; }
    int32_t StampWidth() const { return stampWidth_; }
    void SetStampWidth(int32_t v) { stampWidth_ = v; }
    int32_t StampHeight() const { return stampHeight_; }
    void SetStampHeight(int32_t v) { stampHeight_ = v; }
    int32_t AuxValue2() const { return auxValue2_; }
    void SetAuxValue2(int32_t v) { auxValue2_ = v; }
    int32_t AuxValue3() const { return auxValue3_; }
    void SetAuxValue3(int32_t v) { auxValue3_ = v; }
    int32_t AuxValue4() const { return auxValue4_; }
    void SetAuxValue4(int32_t v) { auxValue4_ = v; }
    // The JPEG 2000 settings: bytes 4 to 111 of the record; its size field and
    // its last 28 bytes are the record's own.
    const PixJ2KOptions& J2KOptions() const { return j2k_; }
    void SetJ2KOptions(const PixJ2KOptions& v);
    // The 32 JBIG2 settings, named after the image control's setters.
    const PixJBIG2Options& JBIG2Options() const { return jbig2_; }
    uint8_t JBIG2Template1() const { return jbig2_.Template1; }
    uint8_t JBIG2Template1AT1X() const { return uint8_t(jbig2_.Template1AT[0]); }
    uint8_t JBIG2Template1AT1Y() const { return uint8_t(jbig2_.Template1AT[1]); }
    uint8_t JBIG2Template1AT2X() const { return uint8_t(jbig2_.Template1AT[2]); }
    uint8_t JBIG2Template1AT2Y() const { return uint8_t(jbig2_.Template1AT[3]); }
    uint8_t JBIG2Template1AT3X() const { return uint8_t(jbig2_.Template1AT[4]); }
    uint8_t JBIG2Template1AT3Y() const { return uint8_t(jbig2_.Template1AT[5]); }
    uint8_t JBIG2Template1AT4X() const { return uint8_t(jbig2_.Template1AT[6]); }
    uint8_t JBIG2Template1AT4Y() const { return uint8_t(jbig2_.Template1AT[7]); }
    uint8_t JBIG2Template2() const { return jbig2_.Template2; }
    uint8_t JBIG2Template2AT1X() const { return uint8_t(jbig2_.Template2AT[0]); }
    uint8_t JBIG2Template2AT1Y() const { return uint8_t(jbig2_.Template2AT[1]); }
    uint8_t JBIG2Template2AT2X() const { return uint8_t(jbig2_.Template2AT[2]); }
    uint8_t JBIG2Template2AT2Y() const { return uint8_t(jbig2_.Template2AT[3]); }
    uint8_t JBIG2Template2AT3X() const { return uint8_t(jbig2_.Template2AT[4]); }
    uint8_t JBIG2Template2AT3Y() const { return uint8_t(jbig2_.Template2AT[5]); }
    uint8_t JBIG2Template2AT4X() const { return uint8_t(jbig2_.Template2AT[6]); }
    uint8_t JBIG2Template2AT4Y() const { return uint8_t(jbig2_.Template2AT[7]); }
    uint32_t JBIG2ParamA() const { return jbig2_.ParamA; }
    uint32_t JBIG2ParamB() const { return jbig2_.ParamB; }
    uint32_t JBIG2ParamC() const { return jbig2_.ParamC; }
    uint32_t JBIG2ParamD() const { return jbig2_.ParamD; }
    uint32_t JBIG2ParamE() const { return jbig2_.ParamE; }
    uint32_t JBIG2ParamF() const { return jbig2_.ParamF; }
    uint32_t JBIG2ParamG() const { return jbig2_.ParamG; }
    uint32_t JBIG2ParamH() const { return jbig2_.ParamH; }
    uint32_t JBIG2ParamI() const { return jbig2_.ParamI; }
    uint32_t JBIG2ParamJ() const { return jbig2_.ParamJ; }
    uint32_t JBIG2ParamK() const { return jbig2_.ParamK; }
    uint32_t JBIG2ParamL() const { return jbig2_.ParamL; }
    uint32_t JBIG2ParamM() const { return jbig2_.ParamM; }
    uint32_t JBIG2ParamN() const { return jbig2_.ParamN; }
    void SetJBIG2Options(const PixJBIG2Options& v);

    // Runs the save dialog modally: 100 when the user confirmed (every choice
    // copied back into the properties), 101 when cancelled, another dialog
    // exit code as the engine reports it; failures raise EPixDlgFileError.
    // The engine's JPEG 2000 and JBIG2 settings are the component's for the
    // length of the dialog only.
    int32_t ShowSaveDlg(QWidget* parent);

    // The status check, for the format entries as for the component.
    int32_t CheckStatus(const std::string& operation, int32_t code, bool allowRaise) {
        return TPixDlgComponent::CheckStatus(operation, code, allowRaise);
    }

protected:
    [[noreturn]] void RaiseError(int32_t code, const std::string& operation) override;

private:
    void SetBufferSize(uint32_t* field, uint32_t value, const char* operation);

    std::string title_ = "Pix Common Dialog";
    std::string fileName_;
    std::string fileTitle_;
    std::string initialDir_;
    int32_t filterIndex_ = 0;
    uint32_t openFileFlags_ = 0;
    uint32_t maxFileSize_ = 0;
    uint32_t maxFileTitleSize_ = 0;
    std::vector<std::unique_ptr<TPixFileSaveFormat>> saveFormats_;

    int32_t bitsPerPixel_ = 0;
    int32_t fileFormat_ = 0;
    int32_t qFactor_ = 2;
    int32_t pageMode_ = 0;
    bool auxSwitch_ = false;
    int32_t auxValue1_ = 0;
    bool withStamp_ = false;
    int32_t stampBits_ = 0;
    int32_t stampWidth_ = 120;
    int32_t stampHeight_ = 120;
    int32_t auxValue2_ = 0;
    int32_t auxValue3_ = 0;
    int32_t auxValue4_ = 0;
    PixJ2KOptions j2k_;
    PixJBIG2Options jbig2_ = pix::DefaultJBIG2Options();
};
