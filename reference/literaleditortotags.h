// SPDX-License-Identifier: MIT
#pragma once

// The per-character conversion as first designed: select each character of the editor in turn,
// read its effects, and keep the open tags in a table sorted by opening order (unstable sort).
// Kept as a reference for tests and as the baseline of the benchmark.

#include "richtext/effects.h"
#include "richtext/formattags.h"

#include <algorithm>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace glossa::testing {

inline QString LiteralEditorToTags(QTextEdit& editor) {
    const QTextCursor saved = editor.textCursor();
    FormatTagTable tags = FormatTags();
    auto sortByOpenOrder = [&tags] {
        std::sort(tags.begin(), tags.end(),
                  [](const FormatTag& a, const FormatTag& b) { return a.OpenOrder > b.OpenOrder; });
    };
    QString result;
    if (editor.document()->isEmpty())
        return result;
    int p = 0;
    int s = 1;
    const int lineCount = editor.document()->blockCount();
    QTextBlock block = editor.document()->begin();
    for (int i = 0; i < lineCount; ++i, block = block.next()) {
        const QString line = block.text();
        for (const QChar ch : line) {
            QTextCursor one(editor.document());
            one.setPosition(p);
            one.setPosition(p + 1, QTextCursor::KeepAnchor);
            editor.setTextCursor(one);
            const Effects e = GetEffects(&editor);
            sortByOpenOrder();
            for (FormatTag& tag : tags) {
                if (tag.OpenOrder != 0 && !(e & tag.Effect)) {
                    result += u"</" + tag.Tag.toString();
                    tag.OpenOrder = 0;
                } else if (tag.OpenOrder == 0 && (e & tag.Effect)) {
                    result += u'<' + tag.Tag.toString();
                    tag.OpenOrder = s++;
                }
            }
            result += ch;
            ++p;
        }
        ++p;
        sortByOpenOrder();
        for (FormatTag& tag : tags) {
            if (tag.OpenOrder < 1)
                break;
            result += u"</" + tag.Tag.toString();
            tag.OpenOrder = 0;
        }
        if (i < lineCount - 1)
            result += u"<br>";
    }
    editor.setTextCursor(saved);
    return result;
}

} // namespace glossa::testing
