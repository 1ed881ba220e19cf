// SPDX-License-Identifier: MIT
#pragma once

#include "comment/commentblockreader.h"
#include "comment/descriptionmatch.h"
#include "comment/plaincomment.h"
#include "comment/procedureheader.h"

#include <QString>

namespace glossa {

// What the editor window shows at start-up. Summary, result and example are ReadField texts
// (line feeds for line breaks) meant for the tag-to-editor conversion; descriptions are tagged
// text ("<br>" for line breaks).
struct LoadedFields {
    QString summary;
    ParameterList parameters;
    QString result;
    QString example;
    // True when no block was present and the defaults were filled in.
    bool defaultsUsed = false;
    // True when the summary is the plain comment above the header.
    bool fromPlainComment = false;
    // Which of the block's descriptions each row took, and what changed by that.
    DescriptionMatch match;
    // The block's descriptions that no row took, as read (line feeds for line breaks).
    QStringList surplus;
    // Per row, the bold name a renamed description now gives (ApplyFields::renamedTo), else
    // empty.
    QStringList renamedTo;
};

// The default description of a parameter without a block: its name in bold and a placeholder.
QString defaultParameterDescription(const QString& name);

// Decides the fields: read from the block when one is present (descriptions follow their
// parameters, see matchDescriptions),
// otherwise the default descriptions and, as the summary, the plain comment above the header or
// else the header text.
LoadedFields LoadFields(const ProcedureHeader& header, const ExistingBlock& block,
                        const PlainComment& plain = {});

} // namespace glossa
