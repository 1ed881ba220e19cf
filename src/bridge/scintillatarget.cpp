// SPDX-License-Identifier: MIT
#include "scintillatarget.h"

namespace glossa {

ScintillaTarget::~ScintillaTarget() = default;

} // namespace glossa
