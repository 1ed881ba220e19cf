// SPDX-License-Identifier: MIT
#pragma once

#include "richtext/effects.h"

#include <functional>
#include <QString>

class QTextEdit;
class QWidget;

namespace glossa {

// Switches one effect of the editor's selection (with an empty selection, of the insertion
// format): on, unless the whole selection already carries it, then off. Only that effect
// changes; every character keeps its other five effects. kSub- and superscript exclude each
// other (a character has one vertical alignment), so switching one on switches the other off.
void ToggleEffect(QTextEdit* editor, Effects effectBit);

// The editor with the keyboard focus, or nullptr when the focus is on no editor (or on a
// read-only one).
QTextEdit* focusedEditor();

// The link text of a file: "file:///" followed by the path with every space as "%20"; nothing
// else is encoded. An absolute path that already starts with "/" gives "file:///path", not four
// slashes.
QString fileLink(const QString& path);

// Asks the user for a file; returns its path (native separators), or "" when cancelled.
using FilePicker = std::function<QString(QWidget* dialogParent)>;

// The open-file dialog titled "select file to be linked", no preset name, all files.
QString pickFileToLink(QWidget* dialogParent);

// Inserts the fileLink of a file that `pick` (default: pickFileToLink) chooses at the selection
// of `editor`, replacing selected text, in the insertion format, as one undo step. Does nothing
// without an editor, for a read-only editor, or when the pick is cancelled.
void InsertLink(QTextEdit* editor, QWidget* dialogParent, const FilePicker& pick = {});

// InsertLink on the focused editor (focusedEditor()).
void InsertLink(QWidget* dialogParent, const FilePicker& pick = {});

} // namespace glossa
