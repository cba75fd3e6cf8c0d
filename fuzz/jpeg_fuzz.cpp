// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the jpeg decoder on bytes from memory.
#include "fuzz/decode_fuzz.h"
#include "imaging/engine/codecs/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzing::DecodeOnce(pix::CreateJpegDecoder, data, size);
}
