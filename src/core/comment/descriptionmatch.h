// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace glossa {

// What became of a parameter's row when its descriptions were matched to the header.
enum class RowChange {
    None,    // the description that stood at its position, as before
    Moved,   // the description naming it, from another position
    Renamed, // the description at its position, which named a parameter the header lost
    Added,   // no description named it: the default one
};

// Which description each parameter of a header takes (descriptions as a block holds them, in
// order; each may start with its parameter's bold name, "<b>name:</b>"):
// - a description naming a parameter (names compare as descriptionNamesOther compares them)
//   goes to that parameter's row;
// - one without a bold name keeps its position (nothing to go by);
// - one naming no parameter keeps its position when the parameter there is named by none: a
//   rename;
// - a parameter left without one gets the default description (Added), unless no description
//   has a bold name: then they all go by position and a missing one stays empty (None, -1);
// - every other description is surplus.
struct DescriptionMatch {
    QList<int> from;          // per parameter: the description (from 0) it takes, or -1
    QList<RowChange> changes; // per parameter
    QList<int> surplus;       // descriptions no parameter takes, in order
};
DescriptionMatch matchDescriptions(const QStringList& parameterNames,
                                   const QStringList& descriptions);

// The description with its leading bold name replaced by name; unchanged without one.
QString renameDescription(const QString& description, const QString& name);

// The text a row change is shown with in the parameter list ("moved", ...); empty for None.
QString rowChangeText(RowChange change);

} // namespace glossa
