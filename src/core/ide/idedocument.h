// SPDX-License-Identifier: MIT
#pragma once

#include "ide/docencoding.h"

#include <QByteArray>
#include <QString>

namespace glossa {

// The IDE's document as the comment model changes it: byte positions, text in the document's
// encoding. Implemented over the editor bridge (the IDE's Scintilla or file mode); tests fake it.
class IdeDocument {
public:
    virtual ~IdeDocument() = default;

    virtual DocEncoding encoding() const = 0;

    qsizetype EncodedLength(QStringView text) const {
        return glossa::EncodedLength(text, encoding());
    }

    // Document length in bytes.
    virtual int length() = 0;

    // The document's bytes from start to end (exclusive); empty when the range is invalid or
    // can't be read. Used to check, just before writing, that the source didn't change.
    virtual QByteArray readRange(int start, int end) = 0;

    // True when the editor is set to refuse changes (the IDE does so while the program runs
    // under its debugger).
    virtual bool readOnly() = 0;

    // Replaces the bytes start..end by encoded (bytes in the document's encoding). False when
    // nothing was written (invalid range, no buffer, failed copy): then the document is
    // unchanged.
    virtual bool ReplaceRange(int start, int end, const QByteArray& encoded) = 0;

    // Inserts encoded bytes at a byte position. False when nothing was written.
    virtual bool InsertAtPosition(int position, const QByteArray& encoded) = 0;

    // The same for text, encoded in the document's encoding.
    bool ReplaceRange(int start, int end, const QString& text) {
        return ReplaceRange(start, end, encodeText(text, encoding()));
    }
    bool InsertAtPosition(int position, const QString& text) {
        return InsertAtPosition(position, encodeText(text, encoding()));
    }

    // Puts the caret at a byte position with nothing selected.
    virtual void PlaceCaret(int position) = 0;
};

} // namespace glossa
