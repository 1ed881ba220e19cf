// SPDX-License-Identifier: MIT
// A block generated from the input's bytes, in the forms people write (tag case, indentation,
// text after closing tags, fields over several lines, missing fields, blank lines before the
// header, CR LF/LF/CR/mixed, UTF-8/ANSI): Apply without edits writes nothing, and with one
// field edited only the bytes between that field's tags change.
#include "common/blockroundtrip.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace glossa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t next = 0;
    // Each choice takes one byte; past the input's end every choice is the first.
    const testing::Pick pick = [&](int n) {
        return n > 1 && next < size ? int(data[next++] % unsigned(n)) : 0;
    };
    const testing::GeneratedSource source = testing::generateSource(pick);
    QString error = testing::checkApply(source, -1, {});
    if (error.isEmpty() && !source.fields.isEmpty())
        error = testing::checkApply(source, pick(int(source.fields.size())),
                                    testing::pickText(pick, source.utf8, 6));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::abort();
    }
    return 0;
}
