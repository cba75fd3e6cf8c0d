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
#include "imaging/engine/format_options.h"
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
    int32_t BitmapWidth() const { return m_layout.bitmapWidth; }
    int32_t BitmapHeight() const { return m_layout.bitmapHeight; }
    int32_t BitsPerPixel() const { return m_bitsPerPixel; }
    int32_t LastStatus() const { return m_lastStatus; }
    bool ImageAllocated() const { return m_imageAllocated; }
    HDC GetBitmapDC();
    int32_t ReleaseBitmapDC();
    int32_t RefreshBitmap();

    // File load.
    int32_t Load(const std::string& fileName, int32_t bitsPerPixel, int32_t page, int32_t pages);
    const std::string& FileName() const { return m_fileName; }
    // The JBIG2 record handed to the engine at the next Load; the setters only
    // store.
    const PixJBIG2Options& JBIG2Options() const { return m_jbig2; }
    void SetJBIG2ParamA(uint32_t v) { m_jbig2.ParamA = v; }
    void SetJBIG2ParamB(uint32_t v) { m_jbig2.ParamB = v; }
    void SetJBIG2ParamC(uint32_t v) { m_jbig2.ParamC = v; }
    void SetJBIG2ParamD(uint32_t v) { m_jbig2.ParamD = v; }
    void SetJBIG2ParamE(uint32_t v) { m_jbig2.ParamE = v; }
    void SetJBIG2ParamF(uint32_t v) { m_jbig2.ParamF = v; }
    void SetJBIG2ParamG(uint32_t v) { m_jbig2.ParamG = v; }
    void SetJBIG2ParamH(uint32_t v) { m_jbig2.ParamH = v; }
    void SetJBIG2ParamI(uint32_t v) { m_jbig2.ParamI = v; }
    void SetJBIG2ParamJ(uint32_t v) { m_jbig2.ParamJ = v; }
    void SetJBIG2ParamK(uint32_t v) { m_jbig2.ParamK = v; }
    void SetJBIG2ParamL(uint32_t v) { m_jbig2.ParamL = v; }
    void SetJBIG2ParamM(uint32_t v) { m_jbig2.ParamM = v; }
    void SetJBIG2ParamN(uint32_t v) { m_jbig2.ParamN = v; }
    void SetJBIG2Template1(uint8_t v) { m_jbig2.Template1 = v; }
    void SetJBIG2Template1AT1X(uint8_t v) { m_jbig2.Template1AT[0] = int8_t(v); }
    void SetJBIG2Template1AT1Y(uint8_t v) { m_jbig2.Template1AT[1] = int8_t(v); }
    void SetJBIG2Template1AT2X(uint8_t v) { m_jbig2.Template1AT[2] = int8_t(v); }
    void SetJBIG2Template1AT2Y(uint8_t v) { m_jbig2.Template1AT[3] = int8_t(v); }
    void SetJBIG2Template1AT3X(uint8_t v) { m_jbig2.Template1AT[4] = int8_t(v); }
    void SetJBIG2Template1AT3Y(uint8_t v) { m_jbig2.Template1AT[5] = int8_t(v); }
    void SetJBIG2Template1AT4X(uint8_t v) { m_jbig2.Template1AT[6] = int8_t(v); }
    void SetJBIG2Template1AT4Y(uint8_t v) { m_jbig2.Template1AT[7] = int8_t(v); }
    void SetJBIG2Template2(uint8_t v) { m_jbig2.Template2 = v; }
    void SetJBIG2Template2AT1X(uint8_t v) { m_jbig2.Template2AT[0] = int8_t(v); }
    void SetJBIG2Template2AT1Y(uint8_t v) { m_jbig2.Template2AT[1] = int8_t(v); }
    void SetJBIG2Template2AT2X(uint8_t v) { m_jbig2.Template2AT[2] = int8_t(v); }
    void SetJBIG2Template2AT2Y(uint8_t v) { m_jbig2.Template2AT[3] = int8_t(v); }
    void SetJBIG2Template2AT3X(uint8_t v) { m_jbig2.Template2AT[4] = int8_t(v); }
    void SetJBIG2Template2AT3Y(uint8_t v) { m_jbig2.Template2AT[5] = int8_t(v); }
    void SetJBIG2Template2AT4X(uint8_t v) { m_jbig2.Template2AT[6] = int8_t(v); }
    void SetJBIG2Template2AT4Y(uint8_t v) { m_jbig2.Template2AT[7] = int8_t(v); }

    // Pixel export and colour operations.
    HGLOBAL GetDIB(int32_t type);
    int32_t Saturation(int32_t change);
    int32_t Intensity(int32_t change);
    int32_t Invert();
    // Changes the bitmap's depth (8-bit palette or grey to 24-bit), inside the
    // processing bracket like the colour operations.
    int32_t ColorRes(int32_t bitsPerPixel);

    // Behaviour switches.
    bool EnableMethodErrors() const { return m_enableMethodErrors; }
    void SetEnableMethodErrors(bool on) { m_enableMethodErrors = on; }
    bool EnableProgressEvent() const { return m_enableProgressEvent; }
    void SetEnableProgressEvent(bool on);
    bool PaintWhileLoad() const { return m_paintWhileLoad; }
    void SetPaintWhileLoad(bool on) { m_paintWhileLoad = on; }

    // Layout and painting.
    TPaintSizeMode PaintSizeMode() const { return m_layout.paintSizeMode; }
    void SetPaintSizeMode(TPaintSizeMode mode);
    int32_t PaintZoomFactor() const;
    void SetPaintZoomFactor(int32_t percent);
    double ZoomX() const { return m_layout.zoomX; }
    double ZoomY() const { return m_layout.zoomY; }
    QColor BackColor() const { return m_backColor; }
    void SetBackColor(const QColor& color);
    bool AutoRepaint() const { return m_autoRepaint; }
    void SetAutoRepaint(bool on) { m_autoRepaint = on; }
    bool AutoSetRects() const { return m_layout.autoSetRects; }
    void SetAutoSetRects(bool on) { m_layout.autoSetRects = on; }
    bool AutoScroll() const { return m_layout.autoScroll; }
    void SetAutoScroll(bool on) { m_layout.autoScroll = on; }
    bool AutoSize() const { return m_layout.autoSize; }
    void SetAutoSize(bool on) { m_layout.autoSize = on; }
    bool CenterImage() const { return m_layout.centerImage; }
    void SetCenterImage(bool on);
    bool BackErase() const { return m_backErase; }
    void SetBackErase(bool on) { m_backErase = on; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool on) { m_transparent = on; }
    int32_t FrameWidth() const { return m_layout.frameWidth; }
    PixRect SourceRect() const { return m_layout.sourceRect; }
    PixRect SourceClipRect() const { return m_layout.sourceClipRect; }
    PixRect DestRect() const { return m_layout.destRect; }
    PixRect PaintClipRect() const { return m_layout.paintClipRect; }
    int32_t ScrollX() const { return m_layout.scrollX; }
    int32_t ScrollY() const { return m_layout.scrollY; }
    int32_t HScrollRange() const { return m_layout.hScrollRange; }
    int32_t VScrollRange() const { return m_layout.vScrollRange; }

    // Destination extent for a bitmap extent n at zoom z: round(n x z) for
    // z > 0, round(n / (1 - z)) for z < 0, 1 for z = 0, formed in extended
    // precision with halves to the even neighbour.
    static int32_t ScaleExtent(int32_t n, double z) { return ImageLayout::ScaleExtent(n, z); }

    // Events.
    std::function<void(TPixImage* sender)> OnChange;
    std::function<void(TPixImage* sender, int32_t percent)> OnStatus;

protected:
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

    // Bitmap.
    PixBitmap m_bitmap{};
    PixBitmap m_backup{};
    HBITMAPLIST m_list = nullptr;
    uint32_t m_currentIndex = 0;
    bool m_imageAllocated = false;
    HDC m_bitmapDC = nullptr;
    int32_t m_lastStatus = 1;
    std::string m_fileName;
    PixJBIG2Options m_jbig2 = pix::DefaultJBIG2Options();

    // Cached geometry; the shown width and height are the layout's.
    int32_t m_bitsPerPixel = 0;
    int32_t m_bytesPerLine = 0;
    int32_t m_xResolution = 0;
    int32_t m_yResolution = 0;
    int32_t m_viewPerspective = 0;

    // State bits.
    bool m_constructing = true;
    bool m_destroying = false;
    bool m_loading = false;
    bool m_busy = false;
    bool m_inLayout = false;
    bool m_callbackActive = false;
    bool m_changePending = false;
    bool m_painting = false;
    TPixImage* m_previousChainHead = nullptr;

    // Load progress.
    int32_t m_pagesWanted = 0;
    int32_t m_pagesDone = 0;
    int64_t m_rowsLoaded = 0;
    bool m_loadCancelled = false;

    // Properties.
    bool m_enableMethodErrors = true;
    bool m_enableProgressEvent = false;
    bool m_paintWhileLoad = false;
    bool m_autoRepaint = true;
    bool m_backErase = false;
    bool m_transparent = false;
    QColor m_backColor;

    // Layout settings, rectangles, zoom and scrolling.
    ImageLayout m_layout;
};
