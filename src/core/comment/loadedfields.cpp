#include "comment/loadedfields.h"

#include "comment/trimblanks.h"

using namespace Qt::StringLiterals;

namespace glossa {

QString DefaultParameterDescription(const QString& name) {
    return u"<b>"_s % name % u":</b> {description}"_s;
}

LoadedFields LoadFields(const ProcedureHeader& header, const ExistingBlock& block) {
    LoadedFields fields;
    fields.parameters = MakeParameterList(header.headerText);
    if (block.present) {
        BlockFields read = ReadBlockFields(block.blockText, fields.parameters.size());
        fields.summary = read.summary;
        // Descriptions go by position: the n-th parameter line belongs to the n-th parameter.
        for (int i = 0; i < fields.parameters.size(); ++i) {
            if (!read.descriptions[i].isEmpty())
                fields.parameters[i].description = read.descriptions[i].replace(u'\n', u"<br>"_s);
        }
        fields.result = read.result;
        fields.example = read.example;
    } else {
        for (ParameterEntry& entry : fields.parameters)
            entry.description = DefaultParameterDescription(entry.name);
        fields.summary = TrimBlanks(HeaderOnOneLine(header.headerText));
        fields.defaultsUsed = true;
    }
    return fields;
}

} // namespace glossa
