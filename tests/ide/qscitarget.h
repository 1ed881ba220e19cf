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

    std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    RemoteAddress Reserve(std::size_t size) override;
    void Free(RemoteAddress address) override;
    bool Write(RemoteAddress address, const void* data, std::size_t size) override;
    bool Read(RemoteAddress address, void* data, std::size_t size) override;
    int PointerWidth() const override { return pointerWidth_; }

    // Sets up the editor directly: document bytes (zero bytes allowed), code page, line-end
    // mode and selection.
    void SetDocument(const std::string& bytes);
    void SetCodePage(int codePage);
    void SetEolMode(int eolMode);
    void SetSelection(long long anchor, long long caret);
    std::string Document() const;
    long long Caret() const;
    long long Anchor() const;

    std::size_t LiveBlocks() const { return blocks_.size(); }
    int Faults() const { return faults_; }

private:
    char* Resolve(RemoteAddress address, std::size_t size);
    bool HasTerminator(RemoteAddress address);

    std::unique_ptr<QsciScintillaBase> editor_;
    int pointerWidth_;
    std::map<RemoteAddress, std::vector<char>> blocks_;
    RemoteAddress nextAddress_ = 0x10000;
    int faults_ = 0;
};

} // namespace glossa
