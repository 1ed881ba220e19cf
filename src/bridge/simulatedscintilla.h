// SPDX-License-Identifier: MIT
#pragma once

#include "scintillatarget.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glossa {

// An in-process Scintilla document that answers the ten messages of the bridge as Scintilla
// does, behind a simulated address space standing for the IDE's process. Used by tests and by
// file mode. A bad address, a freed block or an out-of-range request is counted as a fault and
// answered like a failed call (0, nothing changed); it is never undefined behaviour. Blocks
// are exactly as large as reserved (a real process rounds up to pages), so a buffer one byte
// too short is caught.
class SimulatedScintilla : public ScintillaTarget {
public:
    // One message as it was sent.
    struct SentMessage {
        unsigned message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };

    explicit SimulatedScintilla(std::string document = {}, int codePage = 0, int eolMode = 0,
                                int pointerWidth = 8);

    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    RemoteAddress reserve(std::size_t size) override;
    void free(RemoteAddress address) override;
    bool write(RemoteAddress address, const void* data, std::size_t size) override;
    bool read(RemoteAddress address, void* data, std::size_t size) override;
    int pointerWidth() const override { return pointerWidth_; }

    // The document and the editor state, read and set directly (not through messages).
    const std::string& document() const;
    void setDocument(std::string document); // caret and anchor go to 0
    // As setDocument, over bytes the caller keeps alive and unchanged until the document is
    // first changed or document() is asked for: only then are they copied. Messages that only
    // read the document read them where they are.
    void setDocumentView(std::string_view document);
    // The document's bytes, wherever they are held.
    std::string_view documentView() const {
        return borrowed_ ? *borrowed_ : std::string_view(document_);
    }
    int codePage() const { return codePage_; }
    void setCodePage(int codePage) { codePage_ = codePage; }
    int eolMode() const { return eolMode_; }
    void setEolMode(int eolMode) { eolMode_ = eolMode; }
    // As SCI_SETREADONLY: a read-only document ignores SCI_REPLACESEL and SCI_INSERTTEXT.
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    long long caret() const { return caret_; }
    long long anchor() const { return anchor_; }
    // Sets the selection as SCI_SETSEL does (positions clamped into the document).
    void setSelection(long long anchor, long long caret);

    // Blocks reserved and not yet freed, and faults seen so far (with the last one's reason).
    std::size_t liveBlocks() const { return blocks_.size(); }
    int faults() const { return faults_; }
    const std::string& lastFault() const { return lastFault_; }

    // Messages sent so far, oldest first.
    const std::vector<SentMessage>& sent() const { return sent_; }
    void clearSent() { sent_.clear(); }

    // Failure injection: Reserve fails once `successes` more reservations have succeeded
    // (-1: never); write() or read() fail while set.
    void failReserveAfter(int successes) { reserveSuccessesLeft_ = successes; }
    void setWriteFails(bool fails) { writeFails_ = fails; }
    void setReadFails(bool fails) { readFails_ = fails; }

private:
    struct Block {
        std::vector<char> bytes;
    };

    // Pointer to size bytes at address inside one live block, or nullptr (and a fault).
    char* resolve(RemoteAddress address, std::size_t size, const char* what);
    // The zero-terminated string at address; false (and a fault) when it runs off its block.
    bool resolveString(RemoteAddress address, std::string& out, const char* what);
    void fault(std::string reason);
    long long length() const { return static_cast<long long>(documentView().size()); }
    // The document as the editor's own bytes, copied from the borrowed ones the first time.
    std::string& ownDocument() const;
    long long clamp(long long position) const;
    void setEmptySelection(long long position);
    std::intptr_t getTextRange(std::intptr_t record);
    // Inserts bytes at position; false when the position is outside the document.
    bool insertBytes(long long position, const std::string& bytes);

    mutable std::string document_;
    mutable std::optional<std::string_view> borrowed_; // see setDocumentView
    int codePage_;
    int eolMode_;
    int pointerWidth_;
    bool readOnly_ = false;
    long long caret_ = 0;
    long long anchor_ = 0;

    std::map<RemoteAddress, Block> blocks_;
    RemoteAddress nextAddress_;
    int faults_ = 0;
    std::string lastFault_;
    std::vector<SentMessage> sent_;
    int reserveSuccessesLeft_ = -1;
    bool writeFails_ = false;
    bool readFails_ = false;
};

} // namespace glossa
