// SPDX-License-Identifier: MIT
#pragma once

#include <QTextEdit>

class QMimeData;
class QTextCursor;

namespace glossa {

// The rich-text editor of a comment field: no line wrap (every line of the text is one line of
// the editor), Ctrl+B, Ctrl+I and Ctrl+U toggle bold, italic and underline of the selection,
// Ctrl+Tab types a tab (Tab itself may move the focus, see tabChangesFocus), and pasted or dropped
// text keeps only the six effects (insertEffectsOnly).
class EffectTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit EffectTextEdit(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

// Inserts clipboard or drag data at the cursor, replacing its selection, as one undo step.
// Formatted data (HTML) keeps its text, line breaks and six effects, on top of the insertion
// format; fonts, colours, sizes, links, images and table structure are dropped (table cells
// become lines). plain text is inserted as text (markup in it is not read) in the insertion
// format. Returns false when the data holds no text.
bool insertEffectsOnly(QTextCursor& cursor, const QMimeData* source);

} // namespace glossa
