// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/format_options.h"

#include <cstring>

#include "imaging/engine/status_codes.h"

namespace pix {

PixPDFOptions DefaultPDFOptions() {
    PixPDFOptions o{};
    o.StructSize = sizeof(o);
    o.Options = -1;
    o.XResolution = 96;
    o.YResolution = 96;
    o.DisplayDepth = 24;
    o.TextAlpha = 4;
    o.GraphicsAlpha = 1;
    o.UseLibFonts = -1;
    return o;
}

PixRTFOptions DefaultRTFOptions() {
    return {sizeof(PixRTFOptions), 1.0, 1.0, 1.25, 1.25, 8.27, 11.69};
}

PixPLTOptions DefaultPLTOptions() {
    // White, black, red, green, yellow, blue, magenta, cyan as 0x00BBGGRR.
    return {sizeof(PixPLTOptions),
            {1, 1, 1, 1, 1, 1, 1, 1},
            {0xFFFFFF, 0x000000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00}};
}

PixJBIG2Options DefaultJBIG2Options() {
    PixJBIG2Options o{};
    o.StructSize = sizeof(o);
    // The nominal adaptive-template pixels of template 0.
    const int8_t at[8] = {3, -1, -3, -1, 2, -2, -2, -2};
    std::memcpy(o.Template1AT, at, sizeof(at));
    std::memcpy(o.Template2AT, at, sizeof(at));
    o.ParamC = 8192;
    o.ParamD = 50;
    o.ParamE = 1;
    o.ParamF = 1;
    o.ParamG = 2000;
    o.ParamH = 200;
    o.ParamI = 200;
    o.ParamJ = 20;
    o.ParamK = 0;
    o.ParamL = 150;
    o.ParamM = 150;
    o.ParamN = 256;
    return o;
}

PixJ2KOptions DefaultJ2KOptions() {
    PixJ2KOptions o{};
    o.StructSize = sizeof(o);
    o.Ratio = 25.0f;
    o.Value1 = 10240;
    o.Levels = 5;
    return o;
}

PixPDFSaveOptions DefaultPDFSaveOptions() {
    PixPDFSaveOptions o{};
    o.StructSize = sizeof(o);
    return o;
}

PixResolutionOptions DefaultPTKOptions() {
    return {sizeof(PixResolutionOptions), 96};
}
PixResolutionOptions DefaultDJVUOptions() {
    return {sizeof(PixResolutionOptions), 96};
}

}  // namespace pix

namespace {

// The engine's current records, one set per thread.
pix::LoadOptionSnapshot& current() {
    thread_local pix::LoadOptionSnapshot c;
    return c;
}

// The save-side records, one set per thread.
struct SaveRecords {
    PixJ2KOptions j2k = pix::DefaultJ2KOptions();
    PixPDFSaveOptions pdfSave = pix::DefaultPDFSaveOptions();
};
SaveRecords& saveRecords() {
    thread_local SaveRecords r;
    return r;
}

template <typename T>
int32_t Get(T* out, uint32_t size, const T& record) {
    if (!out) return pix::kInvalidParameter;
    if (size != sizeof(T)) return pix::kInvalidStructSize;
    std::memcpy(out, &record, sizeof(T));
    return pix::kSuccess;
}

template <typename T>
int32_t Set(const T* in, uint32_t size, T* record) {
    if (!in) return pix::kInvalidParameter;
    if (size != sizeof(T)) return pix::kInvalidStructSize;
    std::memcpy(record, in, sizeof(T));
    return pix::kSuccess;
}

int32_t GetPair(int32_t* a, int32_t* b, int32_t va, int32_t vb) {
    if (!a || !b) return pix::kInvalidParameter;
    *a = va;
    *b = vb;
    return pix::kSuccess;
}

}  // namespace

int32_t P_GetPDFOptions(PixPDFOptions* o, uint32_t s) {
    return Get(o, s, current().pdf);
}
int32_t P_SetPDFOptions(const PixPDFOptions* o, uint32_t s) {
    return Set(o, s, &current().pdf);
}
int32_t P_GetRasterizeViewMode(int32_t* mode) {
    if (!mode) return pix::kInvalidParameter;
    *mode = current().viewMode;
    return pix::kSuccess;
}
int32_t P_SetRasterizeViewMode(int32_t mode) {
    current().viewMode = mode;
    return pix::kSuccess;
}
int32_t P_GetRasterizeViewport(int32_t* w, int32_t* h) {
    return GetPair(w, h, current().viewportWidth, current().viewportHeight);
}
int32_t P_SetRasterizeViewport(int32_t w, int32_t h) {
    current().viewportWidth = w;
    current().viewportHeight = h;
    return pix::kSuccess;
}
int32_t P_GetWMFResolution(int32_t* x, int32_t* y) {
    return GetPair(x, y, current().wmfX, current().wmfY);
}
int32_t P_SetWMFResolution(int32_t x, int32_t y) {
    current().wmfX = x;
    current().wmfY = y;
    return pix::kSuccess;
}
int32_t P_GetRTFOptions(PixRTFOptions* o, uint32_t s) {
    return Get(o, s, current().rtf);
}
int32_t P_SetRTFOptions(const PixRTFOptions* o, uint32_t s) {
    return Set(o, s, &current().rtf);
}
int32_t P_GetPLTOptions(PixPLTOptions* o, uint32_t s) {
    return Get(o, s, current().plt);
}
int32_t P_SetPLTOptions(const PixPLTOptions* o, uint32_t s) {
    return Set(o, s, &current().plt);
}
int32_t P_GetPTKOptions(PixResolutionOptions* o, uint32_t s) {
    return Get(o, s, current().ptk);
}
int32_t P_SetPTKOptions(const PixResolutionOptions* o, uint32_t s) {
    return Set(o, s, &current().ptk);
}
int32_t P_GetJBIG2Options(PixJBIG2Options* o, uint32_t s) {
    return Get(o, s, current().jbig2);
}
int32_t P_SetJBIG2Options(const PixJBIG2Options* o, uint32_t s) {
    return Set(o, s, &current().jbig2);
}
int32_t P_GetAutoCADColorScheme(int32_t* scheme) {
    if (!scheme) return pix::kInvalidParameter;
    *scheme = current().autoCadScheme;
    return pix::kSuccess;
}
int32_t P_SetAutoCADColorScheme(int32_t scheme) {
    current().autoCadScheme = scheme;
    return pix::kSuccess;
}
int32_t P_GetDJVUOptions(PixResolutionOptions* o, uint32_t s) {
    return Get(o, s, current().djvu);
}
int32_t P_SetDJVUOptions(const PixResolutionOptions* o, uint32_t s) {
    return Set(o, s, &current().djvu);
}
int32_t P_GetDefaultJ2KOptions(PixJ2KOptions* o, uint32_t s) {
    return Get(o, s, pix::DefaultJ2KOptions());
}
int32_t P_GetJ2KOptions(PixJ2KOptions* o, uint32_t s) {
    return Get(o, s, saveRecords().j2k);
}
int32_t P_SetJ2KOptions(const PixJ2KOptions* o, uint32_t s) {
    return Set(o, s, &saveRecords().j2k);
}
int32_t P_GetPDFSaveOptions(PixPDFSaveOptions* o, uint32_t s) {
    return Get(o, s, saveRecords().pdfSave);
}
int32_t P_SetPDFSaveOptions(const PixPDFSaveOptions* o, uint32_t s) {
    return Set(o, s, &saveRecords().pdfSave);
}

namespace pix {

LoadOptionSnapshot DefaultLoadOptionSnapshot() {
    return LoadOptionSnapshot{};
}

LoadOptionSnapshot CurrentLoadOptionSnapshot() {
    return current();
}

void InstallLoadOptionSnapshot(const LoadOptionSnapshot& snapshot) {
    current() = snapshot;
}

LoadOptionScope::LoadOptionScope(const LoadOptionSnapshot& installed) : previous_(current()) {
    current() = installed;
}

LoadOptionScope::~LoadOptionScope() {
    current() = previous_;
}

}  // namespace pix
