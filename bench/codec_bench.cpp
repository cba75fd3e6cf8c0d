// SPDX-License-Identifier: GPL-3.0-or-later
// Load speed: a 1024 x 768 JPEG through P_LoadFile next to the library's own
// decode of the same file, and BMP and SGI loads in bytes of pixels per second;
// save speed: PNG, BMP and TIFF encoding of a drawing and its reduction to
// fewer bits. The inputs are generated here and written to the temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <libdeflate.h>
// clang-format on

#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_photo.h"
#include "imaging/engine/codecs/bmp_writer.h"
#include "imaging/engine/codecs/decode_image.h"
#include "imaging/engine/codecs/decoder_factory.h"
#include "imaging/engine/codecs/png_writer.h"
#include "imaging/engine/codecs/reduce_depth.h"
#include "imaging/engine/codecs/tiff_writer.h"
#include "imaging/engine/file_load.h"
#include "sketch/sketch_pipeline.h"

namespace {

using bench::Bytes;
using bench::ReadFile;
using bench::Sample;
using bench::TempPath;
using bench::WriteFile;

const std::string& JpegPath() {
    static const std::string path = [] {
        const std::string p = TempPath("photo.jpg");
        WriteFile(p, bench::JpegPhoto(1024, 768));
        return p;
    }();
    return path;
}

constexpr int kBigW = 2048;
constexpr int kBigH = 1536;

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

const std::string& BmpPath() {
    static const std::string path = [] {
        const size_t stride = kBigW * 3;
        Bytes b(54 + stride * kBigH);
        b[0] = 'B';
        b[1] = 'M';
        Put32(b, 2, uint32_t(b.size()));
        Put32(b, 10, 54);
        Put32(b, 14, 40);
        Put32(b, 18, kBigW);
        Put32(b, 22, kBigH);
        b[26] = 1;
        b[28] = 24;
        for (int y = 0; y < kBigH; ++y)
            for (size_t i = 0; i < stride; ++i)
                b[54 + y * stride + i] = Sample(int(i / 3), y, int(i % 3));
        const std::string p = TempPath("photo.bmp");
        WriteFile(p, b);
        return p;
    }();
    return path;
}

std::string SgiPath(bool rle) {
    const size_t plane = size_t(kBigW) * kBigH;
    Bytes b(512, 0);
    b[0] = 0x01;
    b[1] = 0xDA;
    b[2] = rle ? 1 : 0;
    b[3] = 1;
    b[5] = 3;
    b[6] = uint8_t(kBigW >> 8);
    b[7] = uint8_t(kBigW);
    b[8] = uint8_t(kBigH >> 8);
    b[9] = uint8_t(kBigH);
    b[11] = 3;
    if (!rle) {
        b.resize(512 + 3 * plane);
        for (int c = 0; c < 3; ++c)
            for (int y = 0; y < kBigH; ++y)
                for (int x = 0; x < kBigW; ++x)
                    b[512 + c * plane + size_t(y) * kBigW + x] = Sample(x, y, c);
    } else {
        // Literal packets of 127 samples: the worst case for a photo.
        const size_t rows = size_t(kBigH) * 3;
        b.resize(512 + rows * 8);
        for (size_t r = 0; r < rows; ++r) {
            const int c = int(r / kBigH), y = int(r % kBigH);
            const size_t start = b.size();
            for (int x = 0; x < kBigW; x += 127) {
                const int n = std::min(127, kBigW - x);
                b.push_back(uint8_t(0x80 | n));
                for (int i = 0; i < n; ++i) b.push_back(Sample(x + i, y, c));
            }
            b.push_back(0);
            for (int i = 0; i < 4; ++i) {
                b[512 + 4 * r + i] = uint8_t(start >> (24 - 8 * i));
                b[512 + rows * 4 + 4 * r + i] = uint8_t((b.size() - start) >> (24 - 8 * i));
            }
        }
    }
    const std::string p = TempPath(rle ? "photo-rle.sgi" : "photo.sgi");
    WriteFile(p, b);
    return p;
}

int32_t CountRows(PixBitmap*, int32_t, int32_t rows, uint32_t, void* total) {
    *static_cast<int64_t*>(total) += rows;
    return 1;
}

void LoadFile(benchmark::State& state, const std::string& path, int64_t pixelBytes) {
    for (auto _ : state) {
        PixBitmap b;
        int64_t rows = 0;
        const int32_t s = P_LoadFile(path.c_str(), &b, sizeof(b), 0, kOrderBGR, kLoadOnePage,
                                     CountRows, &rows, nullptr, nullptr);
        if (s != 1) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(b.Data);
        P_FreeBitmap(&b);
    }
    state.SetBytesProcessed(state.iterations() * pixelBytes);
}

void BM_JpegPlainDecode(benchmark::State& state) {
    const std::string& path = JpegPath();
    Bytes out(1024 * 768 * 3);
    for (auto _ : state) {
        const Bytes file = ReadFile(path);
        jpeg_decompress_struct d{};
        jpeg_error_mgr err{};
        d.err = jpeg_std_error(&err);
        jpeg_create_decompress(&d);
        jpeg_mem_src(&d, file.data(), file.size());
        jpeg_read_header(&d, TRUE);
        d.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&d);
        while (d.output_scanline < d.output_height) {
            JSAMPROW r = &out[size_t(d.output_scanline) * 1024 * 3];
            jpeg_read_scanlines(&d, &r, 1);
        }
        jpeg_finish_decompress(&d);
        jpeg_destroy_decompress(&d);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * 1024 * 768 * 3);
}
BENCHMARK(BM_JpegPlainDecode)->Unit(benchmark::kMillisecond);

void BM_JpegLoadFile(benchmark::State& state) {
    LoadFile(state, JpegPath(), 1024 * 768 * 3);
}
BENCHMARK(BM_JpegLoadFile)->Unit(benchmark::kMillisecond);

void BM_BmpLoadFile24(benchmark::State& state) {
    LoadFile(state, BmpPath(), int64_t(kBigW) * kBigH * 3);
}
BENCHMARK(BM_BmpLoadFile24)->Unit(benchmark::kMillisecond);

void BM_SgiLoadFileVerbatim(benchmark::State& state) {
    static const std::string path = SgiPath(false);
    LoadFile(state, path, int64_t(kBigW) * kBigH * 3);
}
BENCHMARK(BM_SgiLoadFileVerbatim)->Unit(benchmark::kMillisecond);

void BM_SgiLoadFileRle(benchmark::State& state) {
    static const std::string path = SgiPath(true);
    LoadFile(state, path, int64_t(kBigW) * kBigH * 3);
}
BENCHMARK(BM_SgiLoadFileRle)->Unit(benchmark::kMillisecond);

// The decoder alone: the file already in memory, pixels into a bitmap whose
// pages are already present, so that the figure is the decoder's own.
class NoBands final : public pix::BandSink {
public:
    int32_t RowsDone(int32_t, int32_t) override { return 1; }
};

void DecodeOnly(benchmark::State& state, const std::string& path) {
    const Bytes file = ReadFile(path);
    const int32_t format = pix::DetectImageFormat(file);
    pix::ImageInfo info;
    pix::CreateDecoder(format, file)->ReadInfo(&info);
    PixBitmap b;
    pix::AllocateForImage(info, &b);
    NoBands sink;
    for (auto _ : state) {
        auto decoder = pix::CreateDecoder(format, file);
        pix::ImageInfo i;
        if (decoder->ReadInfo(&i) != 1 || decoder->Decode(b, sink) != 1)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(b.Data);
    }
    state.SetBytesProcessed(state.iterations() * int64_t(b.Width) * b.Height *
                            (b.BitsPerPixel / 8));
    P_FreeBitmap(&b);
}

void BM_BmpDecode24(benchmark::State& state) {
    DecodeOnly(state, BmpPath());
}
BENCHMARK(BM_BmpDecode24)->Unit(benchmark::kMillisecond);

void BM_SgiDecodeVerbatim(benchmark::State& state) {
    static const std::string path = SgiPath(false);
    DecodeOnly(state, path);
}
BENCHMARK(BM_SgiDecodeVerbatim)->Unit(benchmark::kMillisecond);

void BM_SgiDecodeRle(benchmark::State& state) {
    static const std::string path = SgiPath(true);
    DecodeOnly(state, path);
}
BENCHMARK(BM_SgiDecodeRle)->Unit(benchmark::kMillisecond);

// A tall TIFF, 1024 x 65535 colour in Deflate, as one strip, as strips of 32
// rows and as one tile: each strip or tile must be decoded once, so all three
// take about as long.
std::string TallTiffPath(int layout) {
    constexpr uint32_t kW = 1024, kH = 65535;
    const std::string p = TempPath("tall-" + std::to_string(layout) + ".tif");
    TIFF* t = TIFFOpen(p.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kW);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, kH);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(t, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_ADOBE_DEFLATE));
    auto fill = [](Bytes& rows, uint32_t y0, uint32_t n, uint32_t w) {
        for (uint32_t y = 0; y < n; ++y)
            for (uint32_t x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    rows[(size_t(y) * w + x) * 3 + size_t(c)] = Sample(int(x), int(y0 + y), c);
    };
    if (layout == 2) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, kW);
        TIFFSetField(t, TIFFTAG_TILELENGTH, kH + 1);
        Bytes tile(size_t(kW) * (kH + 1) * 3);
        fill(tile, 0, kH, kW);
        TIFFWriteEncodedTile(t, 0, tile.data(), tmsize_t(tile.size()));
    } else {
        const uint32_t rps = layout == 0 ? kH : 32;
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rps);
        Bytes rows(size_t(kW) * rps * 3);
        for (uint32_t y = 0; y < kH; y += rps) {
            const uint32_t n = std::min(rps, kH - y);
            fill(rows, y, n, kW);
            TIFFWriteEncodedStrip(t, TIFFComputeStrip(t, y, 0), rows.data(),
                                  tmsize_t(size_t(kW) * n * 3));
        }
    }
    TIFFClose(t);
    return p;
}

void BM_TiffDecodeTall(benchmark::State& state) {
    static std::string paths[3];
    const int layout = int(state.range(0));
    if (paths[layout].empty()) paths[layout] = TallTiffPath(layout);
    DecodeOnly(state, paths[layout]);
}
BENCHMARK(BM_TiffDecodeTall)
    ->ArgName("one_strip_strips_of_32_one_tile")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Encoding a 1024 x 768 drawing: PNG with the engine's settings, with other
// settings for comparison, and BMP for scale; the file size is a counter.
PixBitmap DrawingOf(sketch::BlendMode mode) {
    PixBitmap photo{}, d{};
    P_InitBitmap(&photo, sizeof photo, 0, 0, 0);
    P_InitBitmap(&d, sizeof d, 0, 0, 0);
    pix::LoadBitmapFile(JpegPath(), &photo, 0);
    sketch::DrawSketch(photo, mode, &d);
    P_FreeBitmap(&photo);
    return d;
}
const PixBitmap& Drawing() {
    static const PixBitmap drawing = DrawingOf(sketch::BlendMode::kPencil);
    return drawing;
}
const PixBitmap& ColorDrawing() {
    static const PixBitmap drawing = DrawingOf(sketch::BlendMode::kColorPencil);
    return drawing;
}

void Encode(benchmark::State& state, const PixBitmap& drawing,
            const std::function<int32_t(Bytes*)>& encode) {
    if (!(drawing.Flags & kBitmapAllocated)) return state.SkipWithError("no drawing");
    Bytes out;
    for (auto _ : state) {
        if (encode(&out) != 1) return state.SkipWithError("encoding failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["file_KiB"] = double(out.size()) / 1024.0;
    state.SetBytesProcessed(state.iterations() * int64_t(drawing.Size));
}

constexpr int kEngineChoice = -100;

void BM_PngEncodeDrawing(benchmark::State& state) {
    const int strategy = int(state.range(1));
    const pix::PngEncoding encoding =
        state.range(0) == kEngineChoice
            ? pix::kFastPng
            : pix::PngEncoding{
                  int(state.range(0)), strategy,           strategy, int(state.range(2)),
                  state.range(3) != 0, state.range(5) != 0};
    const PixBitmap& drawing = state.range(4) ? ColorDrawing() : Drawing();
    Encode(state, drawing, [&](Bytes* out) { return pix::EncodePng(drawing, out, encoding); });
}
// Each row: (level, zlib strategy, filters, grey as grey, color pencil
// drawing, libdeflate); level kEngineChoice stands for the engine's own
// settings. For the pencil and then the color pencil drawing: the engine's
// choice, libpng's defaults (24-bit, then grey), zlib candidates through
// libpng, then libdeflate (its own levels) on rows filtered with one filter.
BENCHMARK(BM_PngEncodeDrawing)
    ->Args({-100, 0, 0, 0, 0, 0})
    ->Args({-1, -1, 0, 0, 0, 0})
    ->Args({-1, -1, 0, 1, 0, 0})
    ->Args({1, -1, PNG_FILTER_PAETH, 1, 0, 0})
    ->Args({1, Z_RLE, PNG_FILTER_PAETH, 1, 0, 0})
    ->Args({1, Z_FILTERED, PNG_FILTER_PAETH, 1, 0, 0})
    ->Args({1, -1, PNG_FILTER_SUB, 1, 0, 0})
    ->Args({1, Z_RLE, PNG_FILTER_SUB, 1, 0, 0})
    ->Args({1, Z_RLE, PNG_FILTER_UP, 1, 0, 0})
    ->Args({1, Z_RLE, PNG_FILTER_NONE, 1, 0, 0})
    ->Args({2, -1, PNG_FILTER_PAETH, 1, 0, 0})
    ->Args({1, -1, PNG_ALL_FILTERS, 1, 0, 0})
    ->Args({1, 0, PNG_FILTER_NONE, 1, 0, 1})
    ->Args({1, 0, PNG_FILTER_SUB, 1, 0, 1})
    ->Args({1, 0, PNG_FILTER_UP, 1, 0, 1})
    ->Args({1, 0, PNG_FILTER_PAETH, 1, 0, 1})
    ->Args({2, 0, PNG_FILTER_SUB, 1, 0, 1})
    ->Args({2, 0, PNG_FILTER_PAETH, 1, 0, 1})
    ->Args({4, 0, PNG_FILTER_SUB, 1, 0, 1})
    ->Args({4, 0, PNG_FILTER_PAETH, 1, 0, 1})
    ->Args({6, 0, PNG_FILTER_SUB, 1, 0, 1})
    ->Args({6, 0, PNG_FILTER_PAETH, 1, 0, 1})
    ->Args({-100, 0, 0, 0, 1, 0})
    ->Args({-1, -1, 0, 0, 1, 0})
    ->Args({1, -1, PNG_FILTER_PAETH, 1, 1, 0})
    ->Args({1, Z_RLE, PNG_FILTER_PAETH, 1, 1, 0})
    ->Args({1, Z_FILTERED, PNG_FILTER_PAETH, 1, 1, 0})
    ->Args({1, -1, PNG_FILTER_SUB, 1, 1, 0})
    ->Args({1, Z_RLE, PNG_FILTER_SUB, 1, 1, 0})
    ->Args({1, Z_RLE, PNG_FILTER_UP, 1, 1, 0})
    ->Args({1, Z_RLE, PNG_FILTER_NONE, 1, 1, 0})
    ->Args({2, -1, PNG_FILTER_PAETH, 1, 1, 0})
    ->Args({1, -1, PNG_ALL_FILTERS, 1, 1, 0})
    ->Args({1, 0, PNG_FILTER_NONE, 1, 1, 1})
    ->Args({1, 0, PNG_FILTER_SUB, 1, 1, 1})
    ->Args({1, 0, PNG_FILTER_UP, 1, 1, 1})
    ->Args({1, 0, PNG_FILTER_PAETH, 1, 1, 1})
    ->Args({2, 0, PNG_FILTER_SUB, 1, 1, 1})
    ->Args({2, 0, PNG_FILTER_PAETH, 1, 1, 1})
    ->Args({4, 0, PNG_FILTER_SUB, 1, 1, 1})
    ->Args({4, 0, PNG_FILTER_PAETH, 1, 1, 1})
    ->Args({6, 0, PNG_FILTER_SUB, 1, 1, 1})
    ->Args({6, 0, PNG_FILTER_PAETH, 1, 1, 1})
    ->Unit(benchmark::kMillisecond);

// Large PNGs against their floor: a generated colour picture (and the same
// picture in grey, 24 bits with equal channels) encoded with the engine's
// settings, next to libdeflate level 1 alone on the same Sub-filtered rows.
// The counter ratio is the engine's time over libdeflate's, measured in the
// same iterations. (width, height, grey)
void BM_PngLargeAgainstLibdeflate(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const bool grey = state.range(2) != 0;
    const Bytes pixels = bench::ScenePixels(w, h);
    PixBitmap b{};
    P_InitBitmap(&b, sizeof b, w, h, 24);
    if (P_AllocateBitmap(&b, sizeof b) != 1) return state.SkipWithError("no memory");
    const int bpp = grey ? 1 : 3;
    const size_t n = size_t(w) * size_t(bpp);
    Bytes filtered((n + 1) * size_t(h));
    for (int y = 0; y < h; ++y) {
        uint8_t* dst = PixRow(b, y);
        const uint8_t* src = pixels.data() + size_t(y) * 3 * size_t(w);
        uint8_t* row = filtered.data() + size_t(y) * (n + 1);
        *row++ = 1;  // Sub
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = src + 3 * x;
            const uint8_t v = uint8_t((p[0] + 2 * p[1] + p[2]) / 4);
            for (int c = 0; c < 3; ++c) dst[3 * x + c] = grey ? v : p[c];
            if (grey) {
                row[x] = v;
            } else {
                row[3 * x] = p[2];  // RGB in the file
                row[3 * x + 1] = p[1];
                row[3 * x + 2] = p[0];
            }
        }
        for (size_t i = n; i-- > size_t(bpp);) row[i] = uint8_t(row[i] - row[i - bpp]);
    }
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
    Bytes packed(libdeflate_zlib_compress_bound(compressor, filtered.size()));
    Bytes out;
    double engine = 0, floor = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        if (pix::EncodePng(b, &out) != 1) return state.SkipWithError("encoding failed");
        auto t1 = std::chrono::steady_clock::now();
        const size_t size = libdeflate_zlib_compress(compressor, filtered.data(), filtered.size(),
                                                     packed.data(), packed.size());
        auto t2 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(size);
        engine += std::chrono::duration<double>(t1 - t0).count();
        floor += std::chrono::duration<double>(t2 - t1).count();
    }
    libdeflate_free_compressor(compressor);
    P_FreeBitmap(&b);
    state.counters["ratio"] = engine / floor;
    state.counters["engine_ms"] = 1e3 * engine / double(state.iterations());
    state.counters["libdeflate_ms"] = 1e3 * floor / double(state.iterations());
}
BENCHMARK(BM_PngLargeAgainstLibdeflate)
    ->Args({4000, 3000, 0})
    ->Args({6000, 4000, 0})
    ->Args({4000, 3000, 1})
    ->Args({6000, 4000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_BmpEncodeDrawing(benchmark::State& state) {
    Encode(state, Drawing(), [](Bytes* out) { return pix::EncodeBmp(Drawing(), out); });
}
BENCHMARK(BM_BmpEncodeDrawing)->Unit(benchmark::kMillisecond);

// Saving at fewer bits: the reduction of a drawing to 8, 4 and 1 bits (the
// pencil drawing is grey: grey levels; the color pencil drawing: median cut),
// with the mean error per sample as a counter.
void BM_ReduceDrawing(benchmark::State& state) {
    const PixBitmap& drawing = state.range(1) ? ColorDrawing() : Drawing();
    if (!(drawing.Flags & kBitmapAllocated)) return state.SkipWithError("no drawing");
    PixBitmap reduced{};
    P_InitBitmap(&reduced, sizeof reduced, 0, 0, 0);
    for (auto _ : state) {
        P_FreeBitmap(&reduced);
        if (pix::ReduceToPalette(drawing, int32_t(state.range(0)), &reduced) != 1)
            return state.SkipWithError("reduction failed");
    }
    double error = 0;
    for (int32_t y = 0; y < drawing.Height; ++y)
        for (int32_t x = 0; x < drawing.Width; ++x) {
            const uint8_t* p = PixRow(drawing, y) + 3 * x;
            const RGBQUAD q = reduced.Palette[PixRow(reduced, y)[x]];
            error += std::abs(p[0] - q.rgbBlue) + std::abs(p[1] - q.rgbGreen) +
                     std::abs(p[2] - q.rgbRed);
        }
    state.counters["mean_error"] = error / (3.0 * drawing.Width * drawing.Height);
    P_FreeBitmap(&reduced);
    state.SetBytesProcessed(state.iterations() * int64_t(drawing.Size));
}
// (bits, color pencil drawing)
BENCHMARK(BM_ReduceDrawing)
    ->Args({8, 0})
    ->Args({1, 0})
    ->Args({8, 1})
    ->Args({4, 1})
    ->Unit(benchmark::kMillisecond);

// The pencil drawing as 8-bit grey BMP, run-length encoded, and as TIFF with
// JPEG inside at quality 90 (color pencil drawing).
void BM_BmpRle8EncodeDrawing(benchmark::State& state) {
    PixBitmap grey{};
    P_InitBitmap(&grey, sizeof grey, 0, 0, 0);
    pix::ReduceToPalette(Drawing(), 8, &grey);
    Encode(state, grey, [&](Bytes* out) { return pix::EncodeBmp(grey, out, 8, true); });
    P_FreeBitmap(&grey);
}
BENCHMARK(BM_BmpRle8EncodeDrawing)->Unit(benchmark::kMillisecond);

void BM_TiffJpegEncodeDrawing(benchmark::State& state) {
    const PixBitmap& d = ColorDrawing();
    const pix::TiffPage page{&d, 24};
    Encode(state, d, [&](Bytes* out) {
        return pix::EncodeTiff(std::span(&page, 1),
                               pix::TiffEncoding{pix::TiffCompression::kJpeg, 90}, out);
    });
}
BENCHMARK(BM_TiffJpegEncodeDrawing)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
