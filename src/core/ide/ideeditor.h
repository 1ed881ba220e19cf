// SPDX-License-Identifier: MIT
#pragma once

#include "comment/commentcontext.h"
#include "ide/idedocument.h"

#include <QString>

#include <memory>

namespace glossa {

class ScintillaTarget;

// The IDE's editor as the editing run sees it: the four start-up queries, the document text
// decoded in the document's encoding, and the IdeDocument writes, all over one
// ScintillaTarget (the IDE's process, or file mode's simulated editor).
class IdeEditor final : public IdeDocument {
public:
    // Uses target without owning it; target must outlive the editor.
    explicit IdeEditor(ScintillaTarget& target);
    // Owns target.
    explicit IdeEditor(std::unique_ptr<ScintillaTarget> target);
    ~IdeEditor() override;

    ScintillaTarget& target() { return *target_; }

    // SCI_GETCODEPAGE as the document's encoding: UTF-8 for 65001, else ANSI. Reads and writes
    // use encoding(), which setEncoding sets.
    DocEncoding codePage();
    // SCI_GETCURRENTPOS, SCI_GETEOLMODE.
    int caretPosition();
    int eolMode();
    // The line-end sequence of a line-end mode: 1 CR, 2 LF, 0 (and anything else) CR LF.
    static QString lineEndForMode(int eolMode);

    // Reads the document (size = length + 1; see the bridge's ReadDocumentText) and decodes
    // all of it (a zero byte is a character like any other). Empty when nothing could be read. Sets
    // WindowStart(), windowAtLineStart() and decoded(). A search window in UTF-8 starts at the next
    // character's first byte.
    QString ReadDocumentText(int size, int caretPos, int searchRange);
    // The text the procedure is chosen in, for a document of length bytes: with searchRange > 0
    // the bytes around context.CaretPos, read again twice as wide for as long as they may hold
    // too little to choose as the whole document would (searchWindowCutsChoice); else the
    // whole document. Sets context's WindowStart, windowAtLineStart and Read.
    QString readTextForChoice(int length, int searchRange, CommentContext& context);
    // The document's text when the caller has it already (file mode decodes the bytes it read
    // while the windows are built): the next read of the whole document, when it is
    // documentSize bytes long and in decoded's encoding, takes it instead of copying the bytes
    // out of the editor and decoding them. Dropped by that read, by any other, and by every
    // write.
    void setKnownDocument(std::shared_ptr<const DecodedText> decoded, qsizetype documentSize,
                          DocEncoding encoding);
    // Document position of the first byte of the text last read.
    int WindowStart() const { return windowStart_; }
    // True when the text last read starts a document line (the byte before it ends a line).
    bool windowAtLineStart() const { return windowAtLineStart_; }
    // The text last read with the bytes it came from.
    std::shared_ptr<const DecodedText> decoded() const { return decoded_; }

    DocEncoding encoding() const override { return encoding_; }
    void setEncoding(DocEncoding encoding) { encoding_ = encoding; }

    // SCI_GETLENGTH.
    int length() override;
    bool readOnly() override;
    QByteArray readRange(int start, int end) override;
    using IdeDocument::InsertAtPosition;
    using IdeDocument::ReplaceRange;
    bool ReplaceRange(int start, int end, const QByteArray& encoded) override;
    bool InsertAtPosition(int position, const QByteArray& encoded) override;
    void PlaceCaret(int position) override;

private:
    std::unique_ptr<ScintillaTarget> owned_;
    ScintillaTarget* target_;
    DocEncoding encoding_ = DocEncoding::Ansi;
    int windowStart_ = 0;
    bool windowAtLineStart_ = true;
    std::shared_ptr<const DecodedText> decoded_;
    struct Known {
        std::shared_ptr<const DecodedText> decoded;
        qsizetype size = -1;
        DocEncoding encoding = DocEncoding::Ansi;
    };
    Known known_;
};

} // namespace glossa
