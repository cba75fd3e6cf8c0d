// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/imaging/engine/codecs/image_fixtures.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fixtures {
namespace {

void Put16Le(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32Le(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
void Put16Be(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}
void Put32Be(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (24 - 8 * i));
}
void Append(Bytes& b, const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// SGI run-length encoding of one row of samples.
Bytes SgiRleRow(const std::vector<uint16_t>& row, int bpc) {
    Bytes out;
    auto put = [&](uint16_t v) {
        if (bpc == 2) out.push_back(uint8_t(v >> 8));
        out.push_back(uint8_t(v));
    };
    size_t x = 0;
    while (x < row.size()) {
        size_t run = 1;
        while (x + run < row.size() && row[x + run] == row[x] && run < 127) ++run;
        if (run >= 2) {
            put(uint16_t(run));
            put(row[x]);
            x += run;
            continue;
        }
        size_t lit = 1;
        while (x + lit < row.size() && lit < 127 &&
               !(x + lit + 1 < row.size() && row[x + lit] == row[x + lit + 1]))
            ++lit;
        put(uint16_t(0x80 | lit));
        for (size_t i = 0; i < lit; ++i) put(row[x + i]);
        x += lit;
    }
    put(0);
    return out;
}

}  // namespace

Bgr Color(int x, int y) {
    return Bgr{uint8_t(x * 40 + y * 7), uint8_t(y * 50 + 20), uint8_t(x * y * 13 + 100)};
}
uint8_t GreyLevel(int x, int y) {
    return uint8_t(x * 30 + y * 45 + 5);
}

Bytes PackIndexRows(const std::vector<std::vector<uint8_t>>& rows, int bpp, bool topDown) {
    const size_t width = rows.empty() ? 0 : rows[0].size();
    const size_t stride = ((width * bpp + 31) / 32) * 4;
    Bytes out(stride * rows.size(), 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        const size_t fileRow = topDown ? r : rows.size() - 1 - r;
        uint8_t* dst = out.data() + fileRow * stride;
        for (size_t x = 0; x < width; ++x) {
            const size_t bit = x * bpp;
            dst[bit / 8] |= uint8_t(rows[r][x] << (8 - bpp - bit % 8));
        }
    }
    return out;
}

Bytes BmpFile(const BmpLayout& s) {
    const bool core = s.headerSize == 12;
    const bool masksAfter = s.headerSize == 40 && !s.masks.empty();
    const size_t entry = core ? 3 : 4;
    const size_t offset =
        14 + s.headerSize + (masksAfter ? 4 * s.masks.size() : 0) + entry * s.palette.size();
    Bytes b(offset, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32Le(b, 2, uint32_t(offset + s.pixels.size()));
    Put32Le(b, 10, uint32_t(offset));
    Put32Le(b, 14, s.headerSize);
    if (core) {
        Put16Le(b, 18, uint16_t(s.width));
        Put16Le(b, 20, uint16_t(s.height));
        Put16Le(b, 22, 1);
        Put16Le(b, 24, s.bpp);
    } else {
        Put32Le(b, 18, uint32_t(s.width));
        Put32Le(b, 22, uint32_t(s.height));
        Put16Le(b, 26, 1);
        Put16Le(b, 28, s.bpp);
        Put32Le(b, 30, s.compression);
        Put32Le(b, 34, uint32_t(s.pixels.size()));
        Put32Le(b, 38, 3780);
        Put32Le(b, 42, 3780);
        Put32Le(b, 46, s.colorsUsed);
        for (size_t i = 0; i < s.masks.size(); ++i) Put32Le(b, 54 + 4 * i, s.masks[i]);
    }
    size_t at = 14 + s.headerSize + (masksAfter ? 4 * s.masks.size() : 0);
    for (const RGBQUAD& c : s.palette) {
        b[at] = c.rgbBlue;
        b[at + 1] = c.rgbGreen;
        b[at + 2] = c.rgbRed;
        at += entry;
    }
    Append(b, s.pixels);
    return b;
}

Bytes SgiFile(const Planes& planes, int bpc, bool rle) {
    const int z = int(planes.size());
    const int h = int(planes[0].size());
    const int w = int(planes[0][0].size());
    // The RLE offset and length tables follow the 512-byte header; allocating
    // both at once (rather than resizing after the header) also keeps GCC 12
    // at -O3 from a false array-bounds report.
    const size_t tables = rle ? size_t(h) * z * 4 : 0;
    Bytes b(512 + 2 * tables, 0);
    Put16Be(b, 0, 474);
    b[2] = rle ? 1 : 0;
    b[3] = uint8_t(bpc);
    Put16Be(b, 4, z == 1 ? 2 : 3);
    Put16Be(b, 6, uint16_t(w));
    Put16Be(b, 8, uint16_t(h));
    Put16Be(b, 10, uint16_t(z));
    Put32Be(b, 16, bpc == 1 ? 255 : 65535);
    std::memcpy(&b[24], "fixture", 7);
    if (!rle) {
        for (int c = 0; c < z; ++c)
            for (int y = 0; y < h; ++y)
                for (uint16_t v : planes[c][h - 1 - y]) {
                    if (bpc == 2) b.push_back(uint8_t(v >> 8));
                    b.push_back(uint8_t(v));
                }
        return b;
    }
    for (int c = 0; c < z; ++c)
        for (int y = 0; y < h; ++y) {
            const Bytes row = SgiRleRow(planes[c][h - 1 - y], bpc);
            const size_t i = size_t(c) * h + y;
            Put32Be(b, 512 + 4 * i, uint32_t(b.size()));
            Put32Be(b, 512 + tables + 4 * i, uint32_t(row.size()));
            Append(b, row);
        }
    return b;
}

Bytes CineonFile(const CineonHeader& h, const Bytes& data) {
    Bytes b(1024, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        h.bigEndian ? Put32Be(b, at, v) : Put32Le(b, at, v);
    };
    put32(0, 0x802A5FD7);
    put32(4, 1024);
    put32(8, 1024);
    put32(20, uint32_t(1024 + data.size()));
    std::memcpy(&b[24], "V4.5", 4);
    b[192] = uint8_t(h.orientation);
    b[193] = uint8_t(h.channels);
    for (int c = 0; c < h.channels; ++c) {
        const size_t at = 196 + 28 * c;
        b[at + 1] = uint8_t(h.channels == 1 ? 0 : c + 1);
        b[at + 2] = uint8_t(h.bits);
        put32(at + 4, h.pixelsPerLine);
        put32(at + 8, h.lines);
    }
    b[680] = 0;
    b[681] = uint8_t(h.packing);
    put32(684, h.linePadding);
    Append(b, data);
    return b;
}

void BitWriter::Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        if (used_ == 0) bytes_.push_back(0);
        bytes_.back() |= uint8_t(((value >> i) & 1) << (7 - used_));
        used_ = (used_ + 1) % 8;
    }
}

void BitWriter::Align(int bits) {
    while ((bytes_.size() * 8 - (used_ ? 8 - used_ : 0)) % size_t(bits) != 0) Put(0, 1);
}

Bytes CineonFile(int width, int height, const std::vector<CineonPixel>& pixels, bool big) {
    Bytes data;
    for (const CineonPixel& p : pixels) {
        const uint32_t w = (uint32_t(p.r) << 22) | (uint32_t(p.g) << 12) | (uint32_t(p.b) << 2);
        data.resize(data.size() + 4);
        big ? Put32Be(data, data.size() - 4, w) : Put32Le(data, data.size() - 4, w);
    }
    CineonHeader h;
    h.pixelsPerLine = uint32_t(width);
    h.lines = uint32_t(height);
    h.bigEndian = big;
    return CineonFile(h, data);
}

uint16_t CineonCodeFor(uint8_t value) {
    const double black = std::pow(10.0, (95 - 685) * 0.002 / 0.6);
    const double v = value / 255.0;
    const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    const double lin = linear * (1 - black) + black;
    const double code = 685 + std::log10(lin) * 0.6 / 0.002;
    return uint16_t(std::lround(std::fmin(1023, std::fmax(0, code))));
}

Bytes JpegFile(int width, int height, int components, bool progressive, int orientation,
               int quality) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    const bool ycck = components == 5;
    const int n = ycck ? 4 : components;
    c.input_components = n;
    c.in_color_space = n == 1 ? JCS_GRAYSCALE : n == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    if (n == 4) {
        jpeg_set_colorspace(&c, ycck ? JCS_YCCK : JCS_CMYK);
        // No subsampling, so the check against the inks stays tight.
        for (int i = 0; i < 4; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    }
    jpeg_set_quality(&c, quality, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    if (orientation) {
        Bytes exif = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1};
        const Bytes entry = {0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, uint8_t(orientation),
                             0,    0,    0, 0, 0, 0};
        Append(exif, entry);
        jpeg_write_marker(&c, JPEG_APP0 + 1, exif.data(), unsigned(exif.size()));
    }
    Bytes row(size_t(width) * n);
    while (c.next_scanline < c.image_height) {
        const int y = int(c.next_scanline);
        for (int x = 0; x < width; ++x) {
            const Bgr p = Color(x, y);
            uint8_t* d = &row[size_t(x) * n];
            if (n == 1) {
                d[0] = GreyLevel(x, y);
            } else if (n == 3) {
                d[0] = p.r;
                d[1] = p.g;
                d[2] = p.b;
            } else {  // inverted CMYK: ink values as stored in Adobe files
                d[0] = p.r;
                d[1] = p.g;
                d[2] = p.b;
                d[3] = uint8_t(0x80 | (x * 20 + y * 3));
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

Bytes PlainJpegDecode(const Bytes& jpeg, int* width, int* height, int* channels) {
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), jpeg.size());
    jpeg_read_header(&d, TRUE);
    d.out_color_space = d.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_start_decompress(&d);
    *width = int(d.output_width);
    *height = int(d.output_height);
    *channels = d.output_components;
    Bytes out(size_t(*width) * *height * *channels);
    while (d.output_scanline < d.output_height) {
        JSAMPROW r = &out[size_t(d.output_scanline) * *width * *channels];
        jpeg_read_scanlines(&d, &r, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return out;
}

// A libpng writer whose bytes are appended to `out`.
static png_structp PngWriterInto(Bytes* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_set_write_fn(
        png, out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    return png;
}

Bytes PngFile(int width, int height, int colorType, int bitDepth, bool interlaced) {
    Bytes out;
    png_structp png = PngWriterInto(&out);
    png_infop info = png_create_info_struct(png);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[16];
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < 16; ++i)
            palette[i] = png_color{uint8_t(i * 16), uint8_t(255 - i * 9), uint8_t(i * 5)};
        png_set_PLTE(png, info, palette, 16);
    }
    png_write_info(png, info);
    if (bitDepth == 16) png_set_swap(png);  // our rows hold little-endian samples
    png_set_packing(png);
    const int channels = png_get_channels(png, info);
    const int bytes = bitDepth == 16 ? 2 : 1;
    std::vector<Bytes> rows(height, Bytes(size_t(width) * channels * bytes));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Bgr p = Color(x, y);
            uint16_t s[4] = {};
            switch (colorType) {
                case PNG_COLOR_TYPE_GRAY:
                    s[0] = GreyLevel(x, y);
                    break;
                case PNG_COLOR_TYPE_GRAY_ALPHA:
                    s[0] = GreyLevel(x, y);
                    s[1] = uint16_t(x * 17);
                    break;
                case PNG_COLOR_TYPE_PALETTE:
                    s[0] = uint16_t((x + y) % 16);
                    break;
                case PNG_COLOR_TYPE_RGB_ALPHA:
                    s[3] = uint16_t(y * 23);
                    [[fallthrough]];
                default:
                    s[0] = p.r;
                    s[1] = p.g;
                    s[2] = p.b;
                    break;
            }
            for (int c = 0; c < channels; ++c) {
                uint16_t v = s[c];
                if (bitDepth == 16) v = uint16_t(v * 257);
                if (bitDepth < 8 && colorType != PNG_COLOR_TYPE_PALETTE)
                    v = uint16_t(v >> (8 - bitDepth));
                uint8_t* d = &rows[y][(size_t(x) * channels + c) * bytes];
                d[0] = uint8_t(v);
                if (bytes == 2) d[1] = uint8_t(v >> 8);
            }
        }
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) png_write_row(png, rows[y].data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes PngFile(const PngLayout& layout) {
    Bytes out;
    png_structp png = PngWriterInto(&out);
    png_infop info = png_create_info_struct(png);
    png_set_IHDR(png, info, png_uint_32(layout.width), png_uint_32(layout.height), 8,
                 layout.colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (const Bgr& c : layout.palette) palette.push_back(png_color{c.r, c.g, c.b});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    Bytes alpha = layout.paletteAlpha;
    png_color_16 key{};
    if (layout.transparentColor.size() == 1) key.gray = layout.transparentColor[0];
    if (layout.transparentColor.size() == 3) {
        key.red = layout.transparentColor[0];
        key.green = layout.transparentColor[1];
        key.blue = layout.transparentColor[2];
    }
    if (!alpha.empty()) png_set_tRNS(png, info, alpha.data(), int(alpha.size()), nullptr);
    if (!layout.transparentColor.empty()) png_set_tRNS(png, info, nullptr, 0, &key);
    png_write_info(png, info);
    const size_t rowBytes = layout.samples.size() / size_t(layout.height);
    for (int y = 0; y < layout.height; ++y)
        png_write_row(png, layout.samples.data() + rowBytes * size_t(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes TiffFile(int width, int height, const std::string& kind) {
    const std::string path = WriteTemp("fixture-" + kind + ".tif", {});
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) throw std::runtime_error("cannot write " + path);
    const bool grey = kind == "grey", tiled = kind == "rgb-tiled-lzw";
    const bool palette = kind == "palette4" || kind == "palette8";
    const int spp = grey || palette ? 1 : 3;
    const int bps = kind == "palette4" ? 4 : 8;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(height));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(spp));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(bps));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 grey      ? PHOTOMETRIC_MINISBLACK
                 : palette ? PHOTOMETRIC_PALETTE
                           : PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_COMPRESSION, tiled ? COMPRESSION_LZW : COMPRESSION_NONE);
    std::vector<uint16_t> map[3];
    if (palette) {
        for (auto& m : map) m.assign(size_t(1) << bps, 0);
        for (int i = 0; i < 16; ++i) {
            map[0][i] = uint16_t(i * 16 * 257);
            map[1][i] = uint16_t((255 - i * 9) * 257);
            map[2][i] = uint16_t(i * 5 * 257);
        }
        TIFFSetField(t, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
    }
    auto sample = [&](int x, int y, int c) -> uint8_t {
        if (grey) return GreyLevel(x, y);
        if (palette) return uint8_t((x + y) % 16);
        const Bgr p = Color(x, y);
        return c == 0 ? p.r : c == 1 ? p.g : p.b;
    };
    if (tiled) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, 16u);
        TIFFSetField(t, TIFFTAG_TILELENGTH, 16u);
        Bytes tile(16 * 16 * 3);
        for (int ty = 0; ty < height; ty += 16)
            for (int tx = 0; tx < width; tx += 16) {
                std::fill(tile.begin(), tile.end(), 0);
                for (int y = ty; y < std::min(height, ty + 16); ++y)
                    for (int x = tx; x < std::min(width, tx + 16); ++x)
                        for (int c = 0; c < 3; ++c)
                            tile[((y - ty) * 16 + (x - tx)) * 3 + c] = sample(x, y, c);
                TIFFWriteTile(t, tile.data(), uint32_t(tx), uint32_t(ty), 0, 0);
            }
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2u);
        Bytes row(size_t((width * spp * bps + 7) / 8));
        for (int y = 0; y < height; ++y) {
            std::fill(row.begin(), row.end(), 0);
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < spp; ++c) {
                    if (bps == 8)
                        row[size_t(x) * spp + c] = sample(x, y, c);
                    else
                        row[size_t(x) / 2] |= uint8_t(sample(x, y, c) << ((x & 1) ? 0 : 4));
                }
            TIFFWriteScanline(t, row.data(), uint32_t(y), 0);
        }
    }
    TIFFClose(t);
    return ReadFile(path);
}

std::string WriteTemp(const std::string& name, const Bytes& bytes) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("strakel-codecs-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path path = dir / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
}

Bytes Bmp24(int w, int h, const std::function<Bgr(int x, int y)>& color) {
    BmpLayout s;
    s.width = w;
    s.height = h;
    const size_t stride = ((size_t(w) * 24 + 31) / 32) * 4;
    s.pixels.assign(stride * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Bgr p = color(x, y);
            uint8_t* d = &s.pixels[size_t(h - 1 - y) * stride + 3 * size_t(x)];
            d[0] = p.b;
            d[1] = p.g;
            d[2] = p.r;
        }
    return BmpFile(s);
}

Bytes ClaimedBmp24(int w, int h) {
    BmpLayout s;
    s.width = w;
    s.height = h;
    s.pixels.assign(64, 0x80);
    return BmpFile(s);
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

std::string ColorBmp(int w, int h, const std::string& name) {
    return WriteTemp(name, Bmp24(w, h, Color));
}

namespace {
void Be16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
void Be32(Bytes& b, uint32_t v) {
    Be16(b, v >> 16);
    Be16(b, v & 0xFFFF);
}
void Text4(Bytes& b, const char* t) {
    b.insert(b.end(), t, t + 4);
}
}  // namespace

Bytes EmptyJpeg2000(int width, int height, int components, bool jp2, int tileHeight) {
    constexpr int kLevels = 5;
    const int th = tileHeight > 0 ? tileHeight : height;
    Bytes c;
    Be16(c, 0xFF4F);  // SOC
    Be16(c, 0xFF51);  // SIZ
    Be16(c, uint32_t(38 + 3 * components));
    Be16(c, 0);
    Be32(c, uint32_t(width));
    Be32(c, uint32_t(height));
    Be32(c, 0);
    Be32(c, 0);
    Be32(c, uint32_t(width));
    Be32(c, uint32_t(th));
    Be32(c, 0);
    Be32(c, 0);
    Be16(c, uint32_t(components));
    for (int i = 0; i < components; ++i) c.insert(c.end(), {7, 1, 1});
    Be16(c, 0xFF52);  // COD: one layer, 5/3 wavelet, 64 x 64 code-blocks
    Be16(c, 12);
    c.insert(c.end(), {0, 0, 0, 1, uint8_t(components >= 3 ? 1 : 0), kLevels, 4, 4, 0, 1});
    Be16(c, 0xFF5C);  // QCD: no quantisation
    Be16(c, 3 + 3 * kLevels + 1);
    c.push_back(0x40);
    c.insert(c.end(), 3 * kLevels + 1, uint8_t(9 << 3));
    const uint32_t packets = uint32_t((kLevels + 1) * components);
    const int tiles = (height + th - 1) / th;
    for (int t = 0; t < tiles; ++t) {
        Be16(c, 0xFF90);  // SOT
        Be16(c, 10);
        Be16(c, uint32_t(t));
        Be32(c, 12 + 2 + packets);
        c.insert(c.end(), {0, 1});
        Be16(c, 0xFF93);  // SOD, then an empty packet header each
        c.insert(c.end(), packets, 0);
    }
    Be16(c, 0xFFD9);  // EOC
    if (!jp2) return c;
    Bytes f = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    Be32(f, 20);
    Text4(f, "ftyp");
    Text4(f, "jp2 ");
    Be32(f, 0);
    Text4(f, "jp2 ");
    Be32(f, 8 + 22 + 15);
    Text4(f, "jp2h");
    Be32(f, 22);
    Text4(f, "ihdr");
    Be32(f, uint32_t(height));
    Be32(f, uint32_t(width));
    Be16(f, uint32_t(components));
    f.insert(f.end(), {7, 7, 0, 0});
    Be32(f, 15);
    Text4(f, "colr");
    f.insert(f.end(), {1, 0, 0});
    Be32(f, components >= 3 ? 16 : 17);  // sRGB or grey
    Be32(f, uint32_t(8 + c.size()));
    Text4(f, "jp2c");
    f.insert(f.end(), c.begin(), c.end());
    return f;
}

}  // namespace fixtures
