#pragma once

#include "ide/bridge/simulatedscintilla.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace glossa {

// File mode's document: a source file loaded into a SimulatedScintilla (the editing run then
// works on it as on the IDE's editor) and written back atomically. The byte-order mark is not
// part of the document; it is kept and written back in front of it.
class FileMode {
public:
    // Reads path: code page 65001 when the file starts with a UTF-8 byte-order mark or is
    // valid UTF-8, else 0 (ANSI); line-end mode from the first line end (CR LF when none);
    // caret 0. False, with a reason, when the file can't be read.
    bool Load(const QString& path, QString* reason = nullptr);

    // The document, as a target for IdeEditor and the bridge.
    SimulatedScintilla& Editor() { return editor_; }
    const QString& Path() const { return path_; }
    bool HasByteOrderMark() const { return bom_; }

    // Puts the caret where text says: "LINExCOLUMN" (both from 1) or a byte offset. See
    // CaretFromText.
    void PlaceCaretFromText(QStringView text);

    // Writes the byte-order mark (when the file had one) and the document back to the file,
    // through a temporary file in the same folder that is renamed over it, keeping the
    // file's permissions. Refuses, with a reason, when the file on disk is no longer what
    // was read (size, modification time or content), so an edit made meanwhile is never
    // overwritten. False, with a reason, when the write fails; the file is then unchanged.
    bool Save(QString* reason = nullptr);

    // Code page of file bytes: 65001 when bom or the bytes are valid UTF-8, else 0.
    static int CodePageFor(QByteArrayView bytes, bool bom);
    // Line-end mode of the first line end in bytes: 0 CR LF (also when there is none), 1 CR,
    // 2 LF.
    static int EolModeFor(QByteArrayView bytes);
    // Strict UTF-8: no overlong forms, surrogates or code points above U+10FFFF.
    static bool IsValidUtf8(QByteArrayView bytes);
    // Byte position for a caret text in a document. "LINExCOLUMN": lines end at CR LF, CR
    // or LF; COLUMN counts characters (UTF-8 sequences for code page 65001, else bytes);
    // a line past the last one gives the document's end, a column past the line's end gives
    // the line's end, values below 1 count as 1. A plain number is a byte offset, clamped
    // into the document and, in UTF-8, moved back to the start of its character. Anything
    // else gives 0.
    static int CaretFromText(QByteArrayView document, int codePage, QStringView text);

private:
    // What the file looked like when it was read or last written.
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
        QByteArray hash;
    };
    static bool TakeStamp(const QString& path, Stamp& stamp, QByteArray* content);

    QString path_;
    bool bom_ = false;
    Stamp stamp_;
    SimulatedScintilla editor_;
};

} // namespace glossa
