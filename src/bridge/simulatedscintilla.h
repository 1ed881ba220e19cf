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

    std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    RemoteAddress Reserve(std::size_t size) override;
    void Free(RemoteAddress address) override;
    bool Write(RemoteAddress address, const void* data, std::size_t size) override;
    bool Read(RemoteAddress address, void* data, std::size_t size) override;
    int PointerWidth() const override { return pointerWidth_; }

    // The document and the editor state, read and set directly (not through messages).
    const std::string& Document() const;
    void SetDocument(std::string document); // caret and anchor go to 0
    // As SetDocument, over bytes the caller keeps alive and unchanged until the document is
    // first changed or Document() is asked for: only then are they copied. Messages that only
    // read the document read them where they are.
    void SetDocumentView(std::string_view document);
    // The document's bytes, wherever they are held.
    std::string_view DocumentView() const {
        return borrowed_ ? *borrowed_ : std::string_view(document_);
    }
    int CodePage() const { return codePage_; }
    void SetCodePage(int codePage) { codePage_ = codePage; }
    int EolMode() const { return eolMode_; }
    void SetEolMode(int eolMode) { eolMode_ = eolMode; }
    // As SCI_SETREADONLY: a read-only document ignores SCI_REPLACESEL and SCI_INSERTTEXT.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    long long Caret() const { return caret_; }
    long long Anchor() const { return anchor_; }
    // Sets the selection as SCI_SETSEL does (positions clamped into the document).
    void SetSelection(long long anchor, long long caret);

    // Blocks reserved and not yet freed, and faults seen so far (with the last one's reason).
    std::size_t LiveBlocks() const { return blocks_.size(); }
    int Faults() const { return faults_; }
    const std::string& LastFault() const { return lastFault_; }

    // Messages sent so far, oldest first.
    const std::vector<SentMessage>& Sent() const { return sent_; }
    void ClearSent() { sent_.clear(); }

    // Failure injection: Reserve fails once `successes` more reservations have succeeded
    // (-1: never); Write or Read fail while set.
    void FailReserveAfter(int successes) { reserveSuccessesLeft_ = successes; }
    void SetWriteFails(bool fails) { writeFails_ = fails; }
    void SetReadFails(bool fails) { readFails_ = fails; }

private:
    struct Block {
        std::vector<char> bytes;
    };

    // Pointer to size bytes at address inside one live block, or nullptr (and a fault).
    char* Resolve(RemoteAddress address, std::size_t size, const char* what);
    // The zero-terminated string at address; false (and a fault) when it runs off its block.
    bool ResolveString(RemoteAddress address, std::string& out, const char* what);
    void Fault(std::string reason);
    long long Length() const { return static_cast<long long>(DocumentView().size()); }
    // The document as the editor's own bytes, copied from the borrowed ones the first time.
    std::string& OwnDocument() const;
    long long Clamp(long long position) const;
    void SetEmptySelection(long long position);
    std::intptr_t GetTextRange(std::intptr_t record);
    // Inserts bytes at position; false when the position is outside the document.
    bool InsertBytes(long long position, const std::string& bytes);

    mutable std::string document_;
    mutable std::optional<std::string_view> borrowed_; // see SetDocumentView
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
