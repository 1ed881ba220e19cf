// SPDX-License-Identifier: MIT
#include "comment/parameterlistmodel.h"

namespace glossa {

QStringList ParameterListModel::rows() const {
    QStringList names;
    names.reserve(entries_.size());
    for (const ParameterEntry& entry : entries_)
        names.append(entry.name);
    return names;
}

QStringList ParameterListModel::descriptions() const {
    QStringList texts;
    texts.reserve(entries_.size());
    for (const ParameterEntry& entry : entries_)
        texts.append(entry.description);
    return texts;
}

void ParameterListModel::StoreSelectedDescription(const QString& editorTags) {
    if (selected_ >= 0 && selected_ < entries_.size())
        entries_[selected_].description = editorTags;
}

SelectionUpdate ParameterListModel::selectRow(int row, const QString& editorTags) {
    if (row < -1 || row >= entries_.size())
        row = -1;
    // A second event on the selected row must not drop what was typed since it was selected.
    if (row == selected_)
        return {};
    StoreSelectedDescription(editorTags);
    selected_ = row;
    SelectionUpdate update;
    update.changed = true;
    update.editorEnabled = row >= 0;
    if (row >= 0)
        update.description = entries_[row].description;
    return update;
}

} // namespace glossa
