// SPDX-License-Identifier: MIT
#pragma once

#include "scintillatarget.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class QsciScintillaBase;

namespace glossa {

// A real Scintilla (QScintilla, in-process) behind ScintillaTarget. The "remote" blocks are
// local memory under their own small addresses, translated back to pointers the way the
// kernel maps another process's address: so the bridge sees exactly what it sees with the
// IDE, including the text-range record in the layout of the chosen pointer width (translated
// to the native record here). A bad address is a fault, counted, and the message not sent.
class QsciTarget : public ScintillaTarget {
public:
    explicit QsciTarget(int pointerWidth = 8);
    ~QsciTarget() override;

    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    RemoteAddress reserve(std::size_t size) override;
    void free(RemoteAddress address) override;
    bool write(RemoteAddress address, const void* data, std::size_t size) override;
    bool read(RemoteAddress address, void* data, std::size_t size) override;
    int pointerWidth() const override { return pointerWidth_; }

    // Sets up the editor directly: document bytes (zero bytes allowed), code page, line-end
    // mode and selection.
    void setDocument(const std::string& bytes);
    void setCodePage(int codePage);
    void setEolMode(int eolMode);
    void setSelection(long long anchor, long long caret);
    std::string document() const;
    long long caret() const;
    long long anchor() const;

    std::size_t liveBlocks() const { return blocks_.size(); }
    int faults() const { return faults_; }

private:
    char* resolve(RemoteAddress address, std::size_t size);
    bool hasTerminator(RemoteAddress address);

    std::unique_ptr<QsciScintillaBase> editor_;
    int pointerWidth_;
    std::map<RemoteAddress, std::vector<char>> blocks_;
    RemoteAddress nextAddress_ = 0x10000;
    int faults_ = 0;
};

} // namespace glossa
