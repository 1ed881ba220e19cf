// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

namespace glossa {

// Where the bridge tells what it decided in the field: which window and process it opened,
// which bytes it read or replaced, why an operation gave up. The bridge has no logging of its
// own (it stays free of Qt); the program hands it a function that passes each line on. Set
// once, before the first operation; without one nothing is formatted.
using BridgeLogSink = std::function<void(const char* line)>;
void setBridgeLogSink(BridgeLogSink sink);

// Whether a sink is set: the lines are only built then.
bool bridgeLogging();

// Passes line to the sink, if any.
void bridgeLog(const std::string& line);

} // namespace glossa
