// SPDX-License-Identifier: GPL-3.0-or-later
// Whether this test program runs under AddressSanitizer, for tests that cap
// the address space, which the sanitizer's shadow memory needs.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif
