#pragma once

#include "comment/commentblockreader.h"
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
};

// The default description of a parameter without a block: its name in bold and a placeholder.
QString DefaultParameterDescription(const QString& name);

// Decides the fields: read from the block when one is present (descriptions by position),
// otherwise the default descriptions and the header text as the summary.
LoadedFields LoadFields(const ProcedureHeader& header, const ExistingBlock& block);

} // namespace glossa
