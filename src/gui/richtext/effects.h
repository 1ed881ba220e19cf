// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <QTextCharFormat>

class QTextCursor;
class QTextEdit;

namespace glossa {

// An effect word: a set of the six character effects, with the bit values of the stored format
// (the rich-edit character-effect bits). Other bits carry no meaning here.
using Effects = std::uint32_t;

enum EffectBit : Effects {
    EffectBold = 0x1,
    EffectItalic = 0x2,
    EffectUnderline = 0x4,
    EffectStrikeOut = 0x8,
    EffectSubscript = 0x10000,
    EffectSuperscript = 0x20000,
};

// All six effects.
inline constexpr Effects kEffectMask = 0x3000F;

// The six effects a character format carries: bold (weight above medium), italic, underline
// (any underline style), strike-out, and sub- or superscript from the vertical alignment.
Effects effectsFromFormat(const QTextCharFormat& format);

// A format that holds exactly the six effect properties of `effects` and nothing else, to be
// merged onto text so that every other attribute stays. A character has one vertical alignment,
// so when both sub- and superscript are in `effects` the superscript is kept (the higher bit).
QTextCharFormat effectsFormat(Effects effects);

// A format holding only the property of one effect bit, switched on or off.
QTextCharFormat effectFormat(Effects effectBit, bool on);

// `format` with its six effects replaced by `effects`; every other attribute is kept.
QTextCharFormat withEffects(QTextCharFormat format, Effects effects);

// The effects of a cursor's selection: an effect is on when every character of the selection
// carries it. Without a selection (or when the selection holds only line ends), the effects of
// the cursor's insertion format.
Effects selectionEffects(const QTextCursor& cursor);

// The effects of the editor's selection (selectionEffects of its cursor; with an empty
// selection the format the next typed character takes). 0 without an editor.
Effects GetEffects(const QTextEdit* editor);

// Sets all six effects of the editor's selection at once (on where `effects` has the bit, off
// elsewhere); with an empty selection, of the insertion format. Font, size, colour and every
// other attribute stay. Returns false only without an editor.
bool SetEffects(QTextEdit* editor, Effects effects);

} // namespace glossa
