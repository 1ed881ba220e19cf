// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

#include <QTextCursor>

class QTextDocument;
class QTextEdit;

namespace glossa {

// The tagged text of a document's whole content: one line, "<br>" between two lines (none
// after the last), the twelve tags of FormatTags() balanced within each line, closing before
// opening and in the reverse order of opening, overlapping without nesting ("<b>a<i>b</b>c</i>"),
// no escaping. tags that open at the same character are written in table order. A line
// separator inside a paragraph (U+2028, Shift+Enter) counts as a line end. The result is that
// of reading the effects one character at a time; the formats are read from the document's
// fragments, so no cursor of any editor moves.
QString documentToTags(const QTextDocument* document);

// documentToTags of the editor's document. The editor's text, formats and selection stay as
// they were. An empty editor (or none) gives "".
QString EditorToTags(const QTextEdit* editor);

// Replaces the editor's content with the text and effects of tagged text, read leniently:
// exactly the twelve tags of FormatTags() and "<br>" are markup, everything else is text
// (other tags, other case, lone "<" or ">"). An opening tag switches its effect on, a closing
// tag off (a set, not a counter); effects carry across "<br>". The document is built in one
// edit block; the caret ends after the last character, with the insertion format of the last
// effect word (so "x<b>" types bold next).
//
// Undo: loading a field is not an edit. The document's undo history is cleared, so the user
// can't undo back to an empty field (or, for the parameter editor, into the description of the
// parameter shown before).
void TagsToEditor(QTextEdit* editor, QStringView tagged);

// TagsToEditor on a document: replaces its content and clears its undo history the same way.
// Returns a cursor after the last character that carries the final insertion format.
QTextCursor tagsToDocument(QTextDocument* document, QStringView tagged);

} // namespace glossa
