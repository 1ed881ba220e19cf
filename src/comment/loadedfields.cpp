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
        fields.summary = ReadField(block.blockText, u"summary"_s, 1);
        // Descriptions go by position: the n-th parameter line belongs to the n-th parameter.
        for (int i = 0; i < fields.parameters.size(); ++i) {
            QString description = ReadField(block.blockText, u"param"_s, i + 1);
            if (!description.isEmpty())
                fields.parameters[i].description = description.replace(u'\n', u"<br>"_s);
        }
        fields.result = ReadField(block.blockText, u"return"_s, 1);
        fields.example = ReadField(block.blockText, u"example"_s, 1);
    } else {
        for (ParameterEntry& entry : fields.parameters)
            entry.description = DefaultParameterDescription(entry.name);
        fields.summary = TrimBlanks(HeaderOnOneLine(header.headerText));
        fields.defaultsUsed = true;
    }
    return fields;
}

} // namespace glossa
