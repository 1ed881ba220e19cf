// SPDX-License-Identifier: MIT
#pragma once

#include "richtext/effects.h"

#include <QList>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace glossa::testing {

// A run of text with one effect word; "\n" in the text starts a new line.
struct Run {
    QString text;
    Effects effects = 0;
};

// Replaces the editor's content with the runs, formatting through the document directly (not
// through the code under test's reader).
inline void fill(QTextEdit& editor, const QList<Run>& runs) {
    editor.clear();
    QTextCursor cursor(editor.document());
    for (const Run& run : runs)
        cursor.insertText(run.text, effectsFormat(run.effects));
}

// The effect word of every character that is not a line end, read one character at a time
// with a cursor of its own.
inline QList<Effects> characterEffects(const QTextEdit& editor) {
    QList<Effects> result;
    const QString text = editor.toPlainText();
    QTextCursor cursor(editor.document());
    for (int p = 0; p < text.size(); ++p) {
        if (text.at(p) == u'\n')
            continue;
        cursor.setPosition(p);
        cursor.setPosition(p + 1, QTextCursor::KeepAnchor);
        result.append(effectsFromFormat(cursor.charFormat()));
    }
    return result;
}

} // namespace glossa::testing
