// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the cineon decoder on bytes from memory.
#include "fuzz/decode_fuzz.h"
#include "imaging/engine/codecs/cineon_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzing::DecodeOnce(pix::CreateCineonDecoder, data, size);
}
