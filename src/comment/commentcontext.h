#pragma once

#include "ide/docencoding.h"

#include <QString>

namespace glossa {

// The run's values that the comment model reads: where the text read starts in the document,
// the caret, the header filter, the document's encoding and its line-end sequence. All
// positions are byte positions in the IDE's document.
struct CommentContext {
    int WindowStart = 0;
    int CaretPos = 0;
    int SearchMode = 0;
    glossa::DocEncoding DocEncoding = glossa::DocEncoding::Utf8;
    QString LineEnd = QStringLiteral("\r\n");
};

} // namespace glossa
