// SPDX-License-Identifier: MIT
#include "richtext/effects.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace glossa {

namespace {

bool hasUnderline(const QTextCharFormat& format) {
    if (format.hasProperty(QTextFormat::TextUnderlineStyle))
        return format.underlineStyle() != QTextCharFormat::NoUnderline;
    return format.fontUnderline();
}

} // namespace

Effects effectsFromFormat(const QTextCharFormat& format) {
    Effects effects = 0;
    if (format.fontWeight() > QFont::Medium)
        effects |= EffectBold;
    if (format.fontItalic())
        effects |= EffectItalic;
    if (hasUnderline(format))
        effects |= EffectUnderline;
    if (format.fontStrikeOut())
        effects |= EffectStrikeOut;
    switch (format.verticalAlignment()) {
    case QTextCharFormat::AlignSubScript:
        effects |= EffectSubscript;
        break;
    case QTextCharFormat::AlignSuperScript:
        effects |= EffectSuperscript;
        break;
    default:
        break;
    }
    return effects;
}

QTextCharFormat effectFormat(Effects effectBit, bool on) {
    QTextCharFormat format;
    switch (effectBit) {
    case EffectBold:
        format.setFontWeight(on ? QFont::Bold : QFont::Normal);
        break;
    case EffectItalic:
        format.setFontItalic(on);
        break;
    case EffectUnderline:
        format.setUnderlineStyle(on ? QTextCharFormat::SingleUnderline
                                    : QTextCharFormat::NoUnderline);
        break;
    case EffectStrikeOut:
        format.setFontStrikeOut(on);
        break;
    case EffectSubscript:
        format.setVerticalAlignment(on ? QTextCharFormat::AlignSubScript
                                       : QTextCharFormat::AlignNormal);
        break;
    case EffectSuperscript:
        format.setVerticalAlignment(on ? QTextCharFormat::AlignSuperScript
                                       : QTextCharFormat::AlignNormal);
        break;
    default:
        break;
    }
    return format;
}

QTextCharFormat effectsFormat(Effects effects) {
    QTextCharFormat format;
    format.merge(effectFormat(EffectBold, effects & EffectBold));
    format.merge(effectFormat(EffectItalic, effects & EffectItalic));
    format.merge(effectFormat(EffectUnderline, effects & EffectUnderline));
    format.merge(effectFormat(EffectStrikeOut, effects & EffectStrikeOut));
    // One vertical alignment per character: superscript wins over subscript.
    if (effects & EffectSuperscript)
        format.merge(effectFormat(EffectSuperscript, true));
    else
        format.merge(effectFormat(EffectSubscript, effects & EffectSubscript));
    return format;
}

QTextCharFormat withEffects(QTextCharFormat format, Effects effects) {
    format.merge(effectsFormat(effects));
    return format;
}

Effects selectionEffects(const QTextCursor& cursor) {
    if (!cursor.hasSelection() || !cursor.document())
        return effectsFromFormat(cursor.charFormat());
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    Effects common = kEffectMask;
    bool anyCharacter = false;
    for (QTextBlock block = cursor.document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int fragmentStart = fragment.position();
            if (fragmentStart >= end)
                break;
            if (fragmentStart + fragment.length() <= start)
                continue;
            common &= effectsFromFormat(fragment.charFormat());
            anyCharacter = true;
        }
    }
    return anyCharacter ? common : effectsFromFormat(cursor.charFormat());
}

Effects GetEffects(const QTextEdit* editor) {
    if (!editor)
        return 0;
    return selectionEffects(editor->textCursor());
}

bool SetEffects(QTextEdit* editor, Effects effects) {
    if (!editor)
        return false;
    // Merging touches only the properties the format holds; on an empty selection QTextEdit
    // merges into the insertion format.
    editor->mergeCurrentCharFormat(effectsFormat(effects));
    return true;
}

} // namespace glossa
