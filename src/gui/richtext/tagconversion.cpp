// SPDX-License-Identifier: MIT
#include "richtext/tagconversion.h"

#include "richtext/effects.h"
#include "richtext/formattags.h"

#include <algorithm>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <vector>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

constexpr QStringView kLineBreakTag = u"<br>";

// Writes tagged text from runs of characters with one effect word each. open tags are kept in
// the order they were opened, so that they close most recent first.
class TagWriter {
public:
    void text(QStringView chars, Effects effects) {
        if (chars.isEmpty())
            return;
        // Close, most recent first, every open tag whose effect ends here; nothing reopens.
        for (auto it = open_.end(); it != open_.begin();) {
            --it;
            if (!(effects & it->Effect)) {
                out_ += it->closingTag();
                it = open_.erase(it);
            }
        }
        for (const FormatTag& tag : FormatTags()) {
            if ((effects & tag.Effect) && !isOpen(tag.Effect)) {
                out_ += tag.openingTag();
                open_.push_back(tag);
            }
        }
        out_ += chars;
    }

    void lineEnd() {
        closeAll();
        out_ += kLineBreakTag;
    }

    QString finish() {
        closeAll();
        return std::move(out_);
    }

private:
    bool isOpen(Effects effect) const {
        return std::any_of(open_.begin(), open_.end(),
                           [effect](const FormatTag& t) { return t.Effect == effect; });
    }

    void closeAll() {
        while (!open_.empty()) {
            out_ += open_.back().closingTag();
            open_.pop_back();
        }
    }

    QString out_;
    std::vector<FormatTag> open_;
};

// The tag of FormatTags() that stands whole at `at`, as {effect, opening}; effect 0 for none.
struct TagMatch {
    Effects effect = 0;
    bool opening = false;
    qsizetype length = 0;
};

TagMatch matchTag(QStringView line, qsizetype at) {
    const QStringView rest = line.mid(at);
    for (const FormatTag& tag : FormatTags()) {
        if (rest.size() > tag.Tag.size() && rest.at(0) == u'<' && rest.mid(1).startsWith(tag.Tag))
            return {tag.Effect, true, 1 + tag.Tag.size()};
        if (rest.size() > tag.Tag.size() + 1 && rest.startsWith(u"</") &&
            rest.mid(2).startsWith(tag.Tag))
            return {tag.Effect, false, 2 + tag.Tag.size()};
    }
    return {};
}

} // namespace

QString documentToTags(const QTextDocument* document) {
    if (!document)
        return QString();
    TagWriter writer;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin())
            writer.lineEnd();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const Effects effects = effectsFromFormat(fragment.charFormat());
            const QString text = fragment.text();
            QStringView rest(text);
            for (qsizetype cut; (cut = rest.indexOf(QChar::LineSeparator)) >= 0;) {
                writer.text(rest.first(cut), effects);
                writer.lineEnd();
                rest = rest.mid(cut + 1);
            }
            writer.text(rest, effects);
        }
    }
    return writer.finish();
}

QString EditorToTags(const QTextEdit* editor) {
    return editor ? documentToTags(editor->document()) : QString();
}

QTextCursor tagsToDocument(QTextDocument* document, QStringView tagged) {
    if (!document)
        return QTextCursor();
    const bool undoWasEnabled = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false); // also clears the history

    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    // The cleared document keeps the formats of its first character and line end; start from
    // the plain insertion format, as a freshly cleared field does.
    const QTextCharFormat base = withEffects(QTextCharFormat(), 0);
    cursor.setBlockCharFormat(base);
    cursor.setCharFormat(base);

    // One format per effect word in use, so that the document's format collection is asked
    // once per run, not built anew.
    QHash<Effects, QTextCharFormat> formats;
    auto formatOf = [&formats](Effects e) -> const QTextCharFormat& {
        auto it = formats.find(e);
        if (it == formats.end())
            it = formats.insert(e, withEffects(QTextCharFormat(), e));
        return *it;
    };

    Effects effects = 0;
    QString run;
    Effects runEffects = 0;
    auto flush = [&] {
        if (!run.isEmpty())
            cursor.insertText(run, formatOf(runEffects));
        run.clear();
    };

    qsizetype lineStart = 0;
    for (;;) {
        const qsizetype lineEnd = tagged.indexOf(kLineBreakTag, lineStart);
        const QStringView line =
            tagged.mid(lineStart, lineEnd < 0 ? tagged.size() - lineStart : lineEnd - lineStart);
        for (qsizetype j = 0; j < line.size();) {
            if (line.at(j) == u'<') {
                const TagMatch match = matchTag(line, j);
                if (match.length > 0) {
                    if (match.opening)
                        effects |= match.effect;
                    else
                        effects &= ~match.effect;
                    j += match.length;
                    continue;
                }
            }
            if (effects != runEffects) {
                flush();
                runEffects = effects;
            }
            run += line.at(j);
            ++j;
        }
        if (lineEnd < 0)
            break;
        flush();
        // The line end takes the effects in force, as a typed one would.
        cursor.insertBlock(cursor.blockFormat(), formatOf(effects));
        runEffects = effects;
        lineStart = lineEnd + kLineBreakTag.size();
    }
    flush();
    cursor.setCharFormat(formatOf(effects));
    cursor.endEditBlock();

    document->setUndoRedoEnabled(undoWasEnabled);
    return cursor;
}

void TagsToEditor(QTextEdit* editor, QStringView tagged) {
    if (editor)
        editor->setTextCursor(tagsToDocument(editor->document(), tagged));
}

} // namespace glossa
