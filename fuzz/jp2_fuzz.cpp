// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the JPEG 2000 decoder (JP2 files and bare codestreams) on bytes from memory.
#include "fuzz/decode_fuzz.h"
#include "imaging/engine/codecs/jp2_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzing::DecodeOnce(pix::CreateJp2Decoder, data, size);
}
