// SPDX-License-Identifier: MIT
#include "comment/loadedfields.h"

#include "comment/trimblanks.h"

using namespace Qt::StringLiterals;

namespace glossa {

QString defaultParameterDescription(const QString& name) {
    return u"<b>"_s % name % u":</b> {description}"_s;
}

namespace {

// Each row takes the description that names its parameter (see matchDescriptions).
void loadDescriptions(LoadedFields& fields, const BlockParts& parts) {
    QStringList read;
    QStringList names;
    for (int n = 1; const BlockField* field = parts.find(FieldTag::Param, n); ++n)
        read << field->text;
    for (const ParameterEntry& entry : fields.parameters)
        names << entry.name;
    QStringList tagged = read;
    tagged.replaceInStrings(u"\n"_s, u"<br>"_s);
    fields.match = matchDescriptions(names, tagged);
    for (qsizetype row = 0; row < fields.parameters.size(); ++row) {
        ParameterEntry& entry = fields.parameters[row];
        const int from = fields.match.from[row];
        const bool renamed = fields.match.changes[row] == RowChange::Renamed;
        fields.renamedTo << (renamed ? entry.name : QString());
        if (fields.match.changes[row] == RowChange::Added)
            entry.description = defaultParameterDescription(entry.name);
        else if (from < 0)
            continue; // by position, and the block has no description for it
        else if (renamed)
            entry.description = renameDescription(tagged[from], entry.name);
        else
            entry.description = tagged[from];
    }
    for (int k : fields.match.surplus)
        fields.surplus << read[k];
}

} // namespace

LoadedFields LoadFields(const ProcedureHeader& header, const ExistingBlock& block,
                        const PlainComment& plain) {
    LoadedFields fields;
    fields.parameters = makeParameterList(header.headerText);
    if (block.present) {
        const BlockFields read = readBlockFields(block.blockText, fields.parameters.size());
        fields.summary = read.summary;
        loadDescriptions(fields, splitBlock(block.blockText));
        fields.result = read.result;
        fields.example = read.example;
    } else {
        for (ParameterEntry& entry : fields.parameters)
            entry.description = defaultParameterDescription(entry.name);
        fields.fromPlainComment = plain.present;
        fields.summary =
            plain.present ? plain.text : trimBlanks(headerOnOneLine(header.headerText));
        fields.defaultsUsed = true;
    }
    return fields;
}

} // namespace glossa
