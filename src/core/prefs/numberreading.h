// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <QStringView>

namespace glossa {

// Reads an integer the way every number typed by a user or found in the IDE's files is read:
// leading blanks and tabs are skipped, then an optional "+" or "-", then decimal digits, or
// hexadecimal digits after "$", or binary digits after "%". Reading stops at the first other
// character; without digits the value is 0. The value is read as 64 bits (wrapping) and used
// as 32 bits.
std::int32_t readNumber(QStringView text);

// The same reading, keeping all 64 bits.
std::int64_t readNumber64(QStringView text);

} // namespace glossa
