// SPDX-License-Identifier: GPL-3.0-or-later
// TPixImage, the image-view control: owns one engine bitmap (through a bitmap
// list), paints it scaled into its client area, loads it, hands its pixels out
// and applies colour operations, with the shared busy, allocation and status
// checks and the engine status-callback chain.
#pragma once

#include <QColor>
#include <QEvent>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "imaging/control/layout/image_layout.h"
#include "imaging/control/pix_image_error.h"
#include "imaging/engine/bitmap_list.h"
#include "imaging/engine/file_save.h"
#include "imaging/engine/format_options.h"
#include "imaging/engine/load_options.h"
#include "imaging/engine/pix_bitmap.h"
#include "platform/device_context.h"
#include "platform/global_memory.h"

// The message a dialog sends, synchronously and without parameters, after the
// engine changed the control's bitmap in place.
constexpr QEvent::Type BitmapUpdateMessage = static_cast<QEvent::Type>(0x87D0);

class TPixImage : public QWidget {
    Q_OBJECT

public:
    explicit TPixImage(QWidget* parent = nullptr);
    ~TPixImage() override;

    std::string Name() const;

    // Bitmap and state.
    PixBitmap* HasBitmap();
    int32_t BitmapWidth() const { return layout_.bitmapWidth; }
    int32_t BitmapHeight() const { return layout_.bitmapHeight; }
    int32_t BitsPerPixel() const { return bitsPerPixel_; }
    int32_t LastStatus() const { return lastStatus_; }
    bool ImageAllocated() const { return imageAllocated_; }
    HDC GetBitmapDC();
    int32_t ReleaseBitmapDC();
    int32_t RefreshBitmap();

    // File load.
    int32_t Load(const std::string& fileName, int32_t bitsPerPixel, int32_t page, int32_t pages);
    const std::string& FileName() const { return fileName_; }
    // The JBIG2 record handed to the engine at the next Load; the setters only
    // store.
    const PixJBIG2Options& JBIG2Options() const { return jbig2_; }
    void SetJBIG2ParamA(uint32_t v) { jbig2_.ParamA = v; }
    void SetJBIG2ParamB(uint32_t v) { jbig2_.ParamB = v; }
    void SetJBIG2ParamC(uint32_t v) { jbig2_.ParamC = v; }
    void SetJBIG2ParamD(uint32_t v) { jbig2_.ParamD = v; }
    void SetJBIG2ParamE(uint32_t v) { jbig2_.ParamE = v; }
    void SetJBIG2ParamF(uint32_t v) { jbig2_.ParamF = v; }
    void SetJBIG2ParamG(uint32_t v) { jbig2_.ParamG = v; }
    void SetJBIG2ParamH(uint32_t v) { jbig2_.ParamH = v; }
    void SetJBIG2ParamI(uint32_t v) { jbig2_.ParamI = v; }
    void SetJBIG2ParamJ(uint32_t v) { jbig2_.ParamJ = v; }
    void SetJBIG2ParamK(uint32_t v) { jbig2_.ParamK = v; }
    void SetJBIG2ParamL(uint32_t v) { jbig2_.ParamL = v; }
    void SetJBIG2ParamM(uint32_t v) { jbig2_.ParamM = v; }
    void SetJBIG2ParamN(uint32_t v) { jbig2_.ParamN = v; }
    void SetJBIG2Template1(uint8_t v) { jbig2_.Template1 = v; }
    void SetJBIG2Template1AT1X(uint8_t v) { jbig2_.Template1AT[0] = int8_t(v); }
    void SetJBIG2Template1AT1Y(uint8_t v) { jbig2_.Template1AT[1] = int8_t(v); }
    void SetJBIG2Template1AT2X(uint8_t v) { jbig2_.Template1AT[2] = int8_t(v); }
    void SetJBIG2Template1AT2Y(uint8_t v) { jbig2_.Template1AT[3] = int8_t(v); }
    void SetJBIG2Template1AT3X(uint8_t v) { jbig2_.Template1AT[4] = int8_t(v); }
    void SetJBIG2Template1AT3Y(uint8_t v) { jbig2_.Template1AT[5] = int8_t(v); }
    void SetJBIG2Template1AT4X(uint8_t v) { jbig2_.Template1AT[6] = int8_t(v); }
    void SetJBIG2Template1AT4Y(uint8_t v) { jbig2_.Template1AT[7] = int8_t(v); }
    void SetJBIG2Template2(uint8_t v) { jbig2_.Template2 = v; }
    void SetJBIG2Template2AT1X(uint8_t v) { jbig2_.Template2AT[0] = int8_t(v); }
    void SetJBIG2Template2AT1Y(uint8_t v) { jbig2_.Template2AT[1] = int8_t(v); }
    void SetJBIG2Template2AT2X(uint8_t v) { jbig2_.Template2AT[2] = int8_t(v); }
    void SetJBIG2Template2AT2Y(uint8_t v) { jbig2_.Template2AT[3] = int8_t(v); }
    void SetJBIG2Template2AT3X(uint8_t v) { jbig2_.Template2AT[4] = int8_t(v); }
    void SetJBIG2Template2AT3Y(uint8_t v) { jbig2_.Template2AT[5] = int8_t(v); }
    void SetJBIG2Template2AT4X(uint8_t v) { jbig2_.Template2AT[6] = int8_t(v); }
    void SetJBIG2Template2AT4Y(uint8_t v) { jbig2_.Template2AT[7] = int8_t(v); }

    // File save. Modify is the multi-page mode: 0 a new file, 1 (or -1) the
    // picture added as the last page, 2 inserted before and 3 put in place of
    // the save page (the first). Format code 2 writes every page of the list,
    // any other code the current bitmap. Raise "Save: Image not allocated."
    // without an image and, with EnableMethodErrors, the engine's failures.
    // `compression` is a kCompression* code for this save alone; the default
    // keeps the engine's default options, the format's usual compression.
    int32_t Save(const std::string& fileName, int32_t format, int32_t bitsPerPixel,
                 int32_t qualityFactor, int32_t modify,
                 int32_t compression = pix::kCompressionDefault);
    int32_t SaveWithStamp(const std::string& fileName, int32_t format, int32_t bitsPerPixel,
                          int32_t qualityFactor, int32_t stampWidth, int32_t stampHeight,
                          int32_t stampBits, int32_t compression = pix::kCompressionDefault);
    // The value the descriptor's use-lookup-table bit takes while saving. A
    // save puts the bit back as it found it, and UseLUT with it.
    bool UseLUT() const { return useLUT_; }
    void SetUseLUT(bool on);

    // Pixel export and colour operations.
    HGLOBAL GetDIB(int32_t type);
    int32_t Saturation(int32_t change);
    int32_t Intensity(int32_t change);
    int32_t Invert();
    // Changes the bitmap's depth (8-bit palette or grey to 24-bit), inside the
    // processing bracket like the colour operations.
    int32_t ColorRes(int32_t bitsPerPixel);

    // Behaviour switches.
    bool EnableMethodErrors() const { return enableMethodErrors_; }
    void SetEnableMethodErrors(bool on) { enableMethodErrors_ = on; }
    bool EnableProgressEvent() const { return enableProgressEvent_; }
    void SetEnableProgressEvent(bool on);
    bool PaintWhileLoad() const { return paintWhileLoad_; }
    void SetPaintWhileLoad(bool on) { paintWhileLoad_ = on; }

    // Layout and painting.
    TPaintSizeMode PaintSizeMode() const { return layout_.paintSizeMode; }
    void SetPaintSizeMode(TPaintSizeMode mode);
    int32_t PaintZoomFactor() const;
    void SetPaintZoomFactor(int32_t percent);
    double ZoomX() const { return layout_.zoomX; }
    double ZoomY() const { return layout_.zoomY; }
    QColor BackColor() const { return backColor_; }
    void SetBackColor(const QColor& color);
    bool AutoRepaint() const { return autoRepaint_; }
    void SetAutoRepaint(bool on) { autoRepaint_ = on; }
    bool AutoSetRects() const { return layout_.autoSetRects; }
    void SetAutoSetRects(bool on) { layout_.autoSetRects = on; }
    bool AutoScroll() const { return layout_.autoScroll; }
    void SetAutoScroll(bool on) { layout_.autoScroll = on; }
    bool AutoSize() const { return layout_.autoSize; }
    void SetAutoSize(bool on) { layout_.autoSize = on; }
    bool CenterImage() const { return layout_.centerImage; }
    void SetCenterImage(bool on);
    bool BackErase() const { return backErase_; }
    void SetBackErase(bool on) { backErase_ = on; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on) { transparent_ = on; }
    int32_t FrameWidth() const { return layout_.frameWidth; }
    PixRect SourceRect() const { return layout_.sourceRect; }
    PixRect SourceClipRect() const { return layout_.sourceClipRect; }
    PixRect DestRect() const { return layout_.destRect; }
    PixRect PaintClipRect() const { return layout_.paintClipRect; }
    int32_t ScrollX() const { return layout_.scrollX; }
    int32_t ScrollY() const { return layout_.scrollY; }
    int32_t HScrollRange() const { return layout_.hScrollRange; }
    int32_t VScrollRange() const { return layout_.vScrollRange; }

    // Destination extent for a bitmap extent n at zoom z: round(n x z) for
    // z > 0, round(n / (1 - z)) for z < 0, 1 for z = 0, formed in extended
    // precision with halves to the even neighbour.
    static int32_t ScaleExtent(int32_t n, double z) { return ImageLayout::ScaleExtent(n, z); }

    // Events.
    std::function<void(TPixImage* sender)> OnChange;
    std::function<void(TPixImage* sender, int32_t percent)> OnStatus;

protected:
    // Called with 4 while save options are prepared; does nothing here.
    virtual void NotifyHook(int32_t /*code*/) {}
    virtual void BitmapChanged();
    virtual void EndProcessing(PixBitmap* bitmap);
    virtual void UpdateLayout(bool recompute);

    void BeginProcessing(PixBitmap* bitmap);
    void CheckNotBusy();
    int32_t CheckAllocated(const std::string& operation, int32_t code);
    int32_t CheckStatus(const std::string& operation, int32_t code, bool allowRaise = true);
    [[noreturn]] void RaiseStatusError(const std::string& text, int32_t code);
    [[noreturn]] void RaiseInvalidValue(const std::string& operation);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    friend int32_t PixImageStatusCallback(int32_t percent, void* userData);
    friend int32_t PixImageLoadCallback(PixBitmap* page, int32_t firstRow, int32_t rows,
                                        uint32_t flags, void* userData);
    friend int32_t PixImageSaveRowCallback(PixBitmap* bitmap, int32_t row, uint8_t* buffer,
                                           uint32_t bytes, void* userData);
    friend class UseLutScope;

    template <typename EngineCall>
    int32_t RunColorOperation(const std::string& name, EngineCall call);
    static TPixImage* ExchangeChainHead(TPixImage* head);
    static TPixImage* s_chainHead;
    static bool s_cancelRequested;
    static bool s_cancelled;
    void PushStatusChain();
    void PopStatusChain();
    void GeometryUpdate();
    // Runs the layout step again and repaints, unless the control is still
    // being constructed.
    void Relayout();
    void ClearImage();
    void FreeRgn();
    // The steps of BitmapUpdateMessage.
    void BitmapUpdate();
    void ResetDescriptor();
    int32_t LoadPages(const std::string& fileName, int32_t bitsPerPixel, int32_t page,
                      int32_t pages);
    // Save steps.
    void ApplyUseLUT();
    void PrepareSaveOptions(PixSaveFileOptions* options, int32_t modify, int32_t bitsPerPixel,
                            bool withListData, int32_t compression);
    int32_t ProgressSave(const std::string& fileName, int32_t format, int32_t bitsPerPixel,
                         int32_t qualityFactor, uint32_t saveFlags,
                         const PixSaveFileOptions& options);

    // Bitmap.
    PixBitmap bitmap_{};
    PixBitmap backup_{};
    HBITMAPLIST list_ = nullptr;
    uint32_t currentIndex_ = 0;
    bool imageAllocated_ = false;
    HDC bitmapDC_ = nullptr;
    int32_t lastStatus_ = 1;
    std::string fileName_;
    PixJBIG2Options jbig2_ = pix::DefaultJBIG2Options();

    // Save settings: the engine's JPEG 2000 and PDF save records as filled at
    // creation, the save page and passes, and the list's screen values as
    // the last load recorded them.
    PixJ2KOptions j2kSave_{};
    PixPDFSaveOptions pdfSave_{};
    bool useLUT_ = true;
    int32_t savePage_ = 0;
    int32_t savePasses_ = 0;
    int32_t screenWidth_ = 0;
    int32_t screenHeight_ = 0;
    int32_t screenBits_ = 0;
    RGBQUAD screenPalette_[256]{};
    uint32_t screenBackground_ = 0;  // 0x00BBGGRR, or a palette index
    bool screenBackgroundIsIndex_ = false;
    bool screenLoops_ = false;
    int64_t rowsSaved_ = 0;

    // Cached geometry; the shown width and height are the layout's.
    int32_t bitsPerPixel_ = 0;
    int32_t bytesPerLine_ = 0;
    int32_t xResolution_ = 0;
    int32_t yResolution_ = 0;
    int32_t viewPerspective_ = 0;

    // State bits.
    bool constructing_ = true;
    bool destroying_ = false;
    bool loading_ = false;
    bool busy_ = false;
    bool inLayout_ = false;
    bool callbackActive_ = false;
    bool changePending_ = false;
    bool painting_ = false;
    TPixImage* previousChainHead_ = nullptr;

    // Load progress.
    int32_t pagesWanted_ = 0;
    int32_t pagesDone_ = 0;
    int64_t rowsLoaded_ = 0;
    bool loadCancelled_ = false;

    // Properties.
    bool enableMethodErrors_ = true;
    bool enableProgressEvent_ = false;
    bool paintWhileLoad_ = false;
    bool autoRepaint_ = true;
    bool backErase_ = false;
    bool transparent_ = false;
    QColor backColor_;

    // Layout settings, rectangles, zoom and scrolling.
    ImageLayout layout_;
};
