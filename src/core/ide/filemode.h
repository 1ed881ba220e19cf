// SPDX-License-Identifier: MIT
#pragma once

#include "files/result.h"
#include "simulatedscintilla.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <string>

namespace glossa {

// File mode's document: a source file loaded into a SimulatedScintilla (the editing run then
// works on it as on the IDE's editor) and written back atomically. The byte-order mark is not
// part of the document; it is kept and written back in front of it.
class FileMode {
public:
    // Reads path: the code page as codePageFor decides (the IDE's rule when startedByIde or the
    // file is one of the IDE's temporary files); line-end mode from the first line end (CR LF
    // when none); caret 0. Fails, with a reason, when the file can't be read.
    Result load(const QString& path, bool startedByIde = false);

    // The document, as a target for IdeEditor and the bridge.
    SimulatedScintilla& editor() { return editor_; }
    // The document's bytes as the file holds them (without the mark): what it was loaded with
    // until the next successful save, what that save wrote after it.
    const QByteArray& loaded() const { return loaded_; }
    const QString& path() const { return path_; }
    bool hasByteOrderMark() const { return bom_; }

    // Puts the caret where text says: "LINExCOLUMN" (both from 1) or a byte offset. See
    // caretFromText. Only a caret placed so is written into the IDE's settings block.
    void placeCaretFromText(QStringView text);

    // Writes the byte-order mark (when the file had one) and the document back to the file,
    // through a temporary file in the same folder that is renamed over it, keeping the
    // file's permissions. When the document ends with the IDE's settings block, its caret,
    // first-line and bookmark lines are made to follow the edit (followIdeSettings). Refuses, with
    // a reason, when the file on disk is no longer what was read (size, modification time or
    // content), so an edit made meanwhile is never overwritten. Fails, with a reason, when the
    // write fails; the file is then unchanged and the document is put back as the file holds
    // it, with the caret where it was.
    Result save();

    // The document after, with the IDE's settings block at its end (a line "; IDE Options =
    // ..." followed only by ";" lines and empty lines) made to follow the change from before:
    // with a caret, CursorPosition (line from 0) and CursorColumn (byte column from 1) become
    // its place, CursorPosition added after the first line when missing and past the first
    // line (with the line end the block's lines are preceded by); without one, CursorPosition
    // moves with its line. Each number of Markers (from 1) moves with the line it named.
    // FirstLine (from 0, a display line) moves with its line only while the Folding line says
    // no fold is closed (or is missing), else stays; it never exceeds the caret's line.
    // A line after the changed bytes moves by the change in line count, a line inside them
    // stays, at most at the last changed line. Every other byte is kept. after unchanged when
    // it has no such block, or the change reaches into it.
    static std::string followIdeSettings(const std::string& before, const std::string& after,
                                         std::optional<long long> caret);
    // Line-end mode of the first line end in bytes: 0 CR LF (also when there is none), 1 CR,
    // 2 LF.
    static int eolModeFor(QByteArrayView bytes);
    // Byte position for a caret text in a document. "LINExCOLUMN": lines end at CR LF, CR
    // or LF; COLUMN counts characters (UTF-8 sequences for code page 65001, else bytes);
    // a line past the last one gives the document's end, a column past the line's end gives
    // the line's end, values below 1 count as 1. A plain number is a byte offset, clamped
    // into the document and, in UTF-8, moved back to the start of its character. Anything
    // else gives 0.
    static int caretFromText(QByteArrayView document, int codePage, QStringView text);

private:
    // What the file looked like when it was read or last written; its content is loaded_.
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
    };
    // Reads the whole file into content and stamps it; false when it can't be read or changed
    // while being read.
    static bool takeStamp(const QString& path, Stamp& stamp, QByteArray& content);
    // Whether bytes are the file as it was read or last written (the mark and loaded_).
    bool holdsLoaded(QByteArrayView bytes) const;
    Result store();

    QString path_;
    bool bom_ = false;
    bool caretGiven_ = false;
    long long caret_ = 0; // the caret as loaded or last stored
    // The document as the file holds it, the base of followIdeSettings; never changed in place,
    // the editor may be reading it.
    QByteArray loaded_;
    Stamp stamp_;
    SimulatedScintilla editor_;
};

} // namespace glossa
