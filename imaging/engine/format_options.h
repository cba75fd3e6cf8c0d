// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's current option records for formats that it rasterises (PDF,
// raster view, WMF, RTF, PLT, PTK, JBIG2, AutoCAD, DJVU), each with a get/set
// pair: what is set is what a later get on the same thread returns. Each
// thread has records of its own, starting from the defaults below, so that a
// load sees only the options its own thread installed. All of them together
// form one snapshot value with a scope that installs a snapshot and puts the
// previous records back. Our codecs read none of them; the image control
// installs its own around every load.
//
// The save side has two records of the same kind, JPEG 2000 (140 bytes) and
// PDF save options (522 bytes), also one per thread. The JPEG 2000 writer
// reads its wavelet levels from the first; the PDF one is carried unread.
#pragma once

#include <cstddef>
#include <cstdint>

struct PixPDFOptions {
    uint32_t StructSize;    // 0: 372
    int32_t Options;        // 4: -1
    int32_t XResolution;    // 8: 96
    int32_t YResolution;    // 12: 96
    int32_t DisplayDepth;   // 16: 24
    int32_t TextAlpha;      // 20: 4
    int32_t GraphicsAlpha;  // 24: 1
    int32_t UseLibFonts;    // 28: -1 (True)
    uint8_t Reserved[340];  // 32
};
static_assert(sizeof(PixPDFOptions) == 372);

#pragma pack(push, 1)
struct PixRTFOptions {
    uint32_t StructSize;  // 0: 52
    double TopMargin;     // 4: 1.0 (inches)
    double BottomMargin;  // 12: 1.0
    double LeftMargin;    // 20: 1.25
    double RightMargin;   // 28: 1.25
    double PageWidth;     // 36: 8.27
    double PageHeight;    // 44: 11.69
};

// Byte-packed: 32-bit fields at odd offsets.
struct PixJBIG2Options {
    uint32_t StructSize;    // 0: 78
    uint32_t ParamA;        // 4
    uint8_t Template1;      // 8
    int8_t Template1AT[8];  // 9: pixels 1 to 4, x then y
    uint32_t ParamB;        // 17
    uint32_t ParamC;        // 21
    uint8_t Template2;      // 25
    int8_t Template2AT[8];  // 26
    uint32_t ParamD;        // 34
    uint32_t ParamE;        // 38
    uint32_t ParamF;        // 42
    uint32_t ParamG;        // 46
    uint32_t ParamH;        // 50
    uint32_t ParamI;        // 54
    uint32_t ParamJ;        // 58
    uint32_t ParamK;        // 62
    uint32_t ParamL;        // 66
    uint32_t ParamM;        // 70
    uint32_t ParamN;        // 74
};
#pragma pack(pop)
static_assert(sizeof(PixRTFOptions) == 52);
static_assert(offsetof(PixRTFOptions, PageHeight) == 44);
static_assert(sizeof(PixJBIG2Options) == 78);
static_assert(offsetof(PixJBIG2Options, ParamB) == 17);
static_assert(offsetof(PixJBIG2Options, ParamC) == 21);
static_assert(offsetof(PixJBIG2Options, Template2) == 25);
static_assert(offsetof(PixJBIG2Options, Template2AT) == 26);
static_assert(offsetof(PixJBIG2Options, ParamD) == 34);
static_assert(offsetof(PixJBIG2Options, ParamN) == 74);

struct PixPLTOptions {
    uint32_t StructSize;   // 0: 68
    int32_t PenWidth[8];   // 4: 1 each
    uint32_t PenColor[8];  // 36: 0x00BBGGRR
};
static_assert(sizeof(PixPLTOptions) == 68);

// PTK and DJVU: size 8 and a resolution (96).
struct PixResolutionOptions {
    uint32_t StructSize;
    int32_t Resolution;
};
static_assert(sizeof(PixResolutionOptions) == 8);

// JPEG 2000 save settings. The writer reads the wavelet decomposition levels;
// the quality factor of the save decides lossless or the lossy target, so the
// other fields are carried, not read.
struct PixJ2KOptions {
    uint32_t StructSize;   // 0: 140
    int32_t Switch1;       // 4: Boolean (-1/0)
    int32_t Switch2;       // 8: Boolean
    int32_t Value0;        // 12
    float Ratio;           // 16: 25.0
    int32_t Value1;        // 20: 10240
    int32_t Values2[6];    // 24
    int32_t Array1[3];     // 48
    int32_t Array2[3];     // 60
    int32_t Levels;        // 72: 5, wavelet decomposition levels (0 to 32)
    int32_t Values4[7];    // 76
    int32_t Switch3;       // 104: Boolean
    int32_t Switch4;       // 108: Boolean
    uint8_t Reserved[28];  // 112
};
static_assert(sizeof(PixJ2KOptions) == 140);
static_assert(offsetof(PixJ2KOptions, Levels) == 72);
static_assert(offsetof(PixJ2KOptions, Switch4) == 108);

// PDF save settings: the size and bytes the engine leaves zero.
#pragma pack(push, 1)
struct PixPDFSaveOptions {
    uint32_t StructSize;    // 0: 522
    uint8_t Reserved[518];  // 4
};
#pragma pack(pop)
static_assert(sizeof(PixPDFSaveOptions) == 522);

namespace pix {
PixJ2KOptions DefaultJ2KOptions();
PixPDFSaveOptions DefaultPDFSaveOptions();

// The records' defaults, also every thread's values at its start.
PixPDFOptions DefaultPDFOptions();
PixRTFOptions DefaultRTFOptions();
PixPLTOptions DefaultPLTOptions();
PixJBIG2Options DefaultJBIG2Options();
PixResolutionOptions DefaultPTKOptions();
PixResolutionOptions DefaultDJVUOptions();
constexpr int32_t kDefaultRasterizeViewMode = 1;
constexpr int32_t kDefaultRasterizeViewportWidth = 640;
constexpr int32_t kDefaultRasterizeViewportHeight = 480;

// Every load-related option record of one thread, as one value. A snapshot
// made with {} holds the defaults, the values every thread starts with.
struct LoadOptionSnapshot {
    PixPDFOptions pdf = DefaultPDFOptions();
    int32_t viewMode = kDefaultRasterizeViewMode;
    int32_t viewportWidth = kDefaultRasterizeViewportWidth;
    int32_t viewportHeight = kDefaultRasterizeViewportHeight;
    int32_t wmfX = 0;
    int32_t wmfY = 0;
    PixRTFOptions rtf = DefaultRTFOptions();
    PixPLTOptions plt = DefaultPLTOptions();
    PixResolutionOptions ptk = DefaultPTKOptions();
    PixJBIG2Options jbig2 = DefaultJBIG2Options();
    int32_t autoCadScheme = 0;
    PixResolutionOptions djvu = DefaultDJVUOptions();
};

LoadOptionSnapshot DefaultLoadOptionSnapshot();
// The calling thread's records as they stand.
LoadOptionSnapshot CurrentLoadOptionSnapshot();
// Replaces all of the calling thread's records.
void InstallLoadOptionSnapshot(const LoadOptionSnapshot& snapshot);

// Installs a snapshot on the calling thread for as long as it lives and puts
// back the records it found when it goes, also when an exception passes. It
// must end on the thread that made it.
class LoadOptionScope {
public:
    explicit LoadOptionScope(const LoadOptionSnapshot& installed);
    ~LoadOptionScope();
    LoadOptionScope(const LoadOptionScope&) = delete;
    LoadOptionScope& operator=(const LoadOptionScope&) = delete;

private:
    LoadOptionSnapshot previous_;
};
}  // namespace pix

// Record getters and setters take the record's size and check it (-789), and
// -13 for a null pointer.
int32_t P_GetPDFOptions(PixPDFOptions* options, uint32_t structSize);
int32_t P_SetPDFOptions(const PixPDFOptions* options, uint32_t structSize);
int32_t P_GetRasterizeViewMode(int32_t* mode);
int32_t P_SetRasterizeViewMode(int32_t mode);
int32_t P_GetRasterizeViewport(int32_t* width, int32_t* height);
int32_t P_SetRasterizeViewport(int32_t width, int32_t height);
int32_t P_GetWMFResolution(int32_t* x, int32_t* y);
int32_t P_SetWMFResolution(int32_t x, int32_t y);
int32_t P_GetRTFOptions(PixRTFOptions* options, uint32_t structSize);
int32_t P_SetRTFOptions(const PixRTFOptions* options, uint32_t structSize);
int32_t P_GetPLTOptions(PixPLTOptions* options, uint32_t structSize);
int32_t P_SetPLTOptions(const PixPLTOptions* options, uint32_t structSize);
int32_t P_GetPTKOptions(PixResolutionOptions* options, uint32_t structSize);
int32_t P_SetPTKOptions(const PixResolutionOptions* options, uint32_t structSize);
int32_t P_GetJBIG2Options(PixJBIG2Options* options, uint32_t structSize);
int32_t P_SetJBIG2Options(const PixJBIG2Options* options, uint32_t structSize);
int32_t P_GetAutoCADColorScheme(int32_t* scheme);
int32_t P_SetAutoCADColorScheme(int32_t scheme);
int32_t P_GetDJVUOptions(PixResolutionOptions* options, uint32_t structSize);
int32_t P_SetDJVUOptions(const PixResolutionOptions* options, uint32_t structSize);
// The JPEG 2000 defaults (P_GetDefaultJ2KOptions), and the calling thread's
// current JPEG 2000 and PDF save records.
int32_t P_GetDefaultJ2KOptions(PixJ2KOptions* options, uint32_t structSize);
int32_t P_GetJ2KOptions(PixJ2KOptions* options, uint32_t structSize);
int32_t P_SetJ2KOptions(const PixJ2KOptions* options, uint32_t structSize);
int32_t P_GetPDFSaveOptions(PixPDFSaveOptions* options, uint32_t structSize);
int32_t P_SetPDFSaveOptions(const PixPDFSaveOptions* options, uint32_t structSize);
