#include "bridgelog.h"

#include <utility>

namespace glossa {

namespace {

BridgeLogSink& Sink() {
    static BridgeLogSink sink;
    return sink;
}

} // namespace

void SetBridgeLogSink(BridgeLogSink sink) {
    Sink() = std::move(sink);
}

bool BridgeLogging() {
    return static_cast<bool>(Sink());
}

void BridgeLog(const std::string& line) {
    if (const BridgeLogSink& sink = Sink())
        sink(line.c_str());
}

} // namespace glossa
