// SPDX-License-Identifier: MIT
#include "bridgelog.h"

#include <utility>

namespace glossa {

namespace {

BridgeLogSink& currentSink() {
    static BridgeLogSink sink;
    return sink;
}

} // namespace

void setBridgeLogSink(BridgeLogSink sink) {
    currentSink() = std::move(sink);
}

bool bridgeLogging() {
    return static_cast<bool>(currentSink());
}

void bridgeLog(const std::string& line) {
    if (const BridgeLogSink& sink = currentSink())
        sink(line.c_str());
}

} // namespace glossa
