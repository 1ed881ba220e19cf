// SPDX-License-Identifier: MIT
#include "richtext/effecttextedit.h"

#include "richtext/effects.h"
#include "richtext/formatcommands.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace glossa {

namespace {

// The effect that a key toggles, or 0.
Effects shortcutEffect(QKeyEvent* event) {
    if (event->matches(QKeySequence::Bold))
        return EffectBold;
    if (event->matches(QKeySequence::Italic))
        return EffectItalic;
    if (event->matches(QKeySequence::Underline))
        return EffectUnderline;
    return 0;
}

// Drops what a field can't hold: images and other embedded objects.
QString fieldText(QString text) {
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

} // namespace

EffectTextEdit::EffectTextEdit(QWidget* parent) : QTextEdit(parent) {
    setLineWrapMode(QTextEdit::NoWrap);
    setAcceptRichText(true);
}

bool EffectTextEdit::event(QEvent* event) {
    // Keep the three keys for the field even if a window-wide shortcut uses them.
    if (event->type() == QEvent::ShortcutOverride && !isReadOnly() &&
        shortcutEffect(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QTextEdit::event(event);
}

void EffectTextEdit::keyPressEvent(QKeyEvent* event) {
    if (!isReadOnly()) {
        if (const Effects effect = shortcutEffect(event)) {
            ToggleEffect(this, effect);
            event->accept();
            return;
        }
        // Tab moves to the next control, so a tab character is typed with Ctrl (the Control
        // key on macOS too).
        const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        if (event->key() == Qt::Key_Tab &&
            (mods == Qt::ControlModifier || mods == Qt::MetaModifier)) {
            textCursor().insertText(QStringLiteral("\t"));
            event->accept();
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

bool EffectTextEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source && (source->hasText() || source->hasHtml());
}

void EffectTextEdit::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly())
        return;
    QTextCursor cursor = textCursor();
    if (insertEffectsOnly(cursor, source)) {
        setTextCursor(cursor);
        ensureCursorVisible();
    }
}

bool insertEffectsOnly(QTextCursor& cursor, const QMimeData* source) {
    if (!source || cursor.isNull())
        return false;
    const bool rich = source->hasHtml();
    if (!rich && !source->hasText())
        return false;

    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QTextCharFormat insertion = cursor.charFormat();
    if (!rich) {
        cursor.insertText(fieldText(source->text()), insertion);
        cursor.endEditBlock();
        return true;
    }

    QTextDocument pasted;
    QTextCursor(&pasted).insertFragment(QTextDocumentFragment::fromHtml(source->html()));
    for (QTextBlock block = pasted.begin(); block.isValid(); block = block.next()) {
        if (block != pasted.begin())
            cursor.insertBlock(cursor.blockFormat(), insertion);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QString text = fieldText(fragment.text());
            // A line break inside a paragraph becomes a line of the field.
            text.replace(QChar::LineSeparator, u'\n');
            if (!text.isEmpty())
                cursor.insertText(text,
                                  withEffects(insertion, effectsFromFormat(fragment.charFormat())));
        }
    }
    cursor.endEditBlock();
    return true;
}

} // namespace glossa
