#include "ide/bridge/scintillatarget.h"

namespace glossa {

ScintillaTarget::~ScintillaTarget() = default;

} // namespace glossa
