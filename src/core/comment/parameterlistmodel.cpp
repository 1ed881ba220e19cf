#include "comment/parameterlistmodel.h"

namespace glossa {

QStringList ParameterListModel::rows() const {
    QStringList names;
    names.reserve(m_entries.size());
    for (const ParameterEntry& entry : m_entries)
        names.append(entry.name);
    return names;
}

QStringList ParameterListModel::descriptions() const {
    QStringList texts;
    texts.reserve(m_entries.size());
    for (const ParameterEntry& entry : m_entries)
        texts.append(entry.description);
    return texts;
}

void ParameterListModel::StoreSelectedDescription(const QString& editorTags) {
    if (m_selected >= 0 && m_selected < m_entries.size())
        m_entries[m_selected].description = editorTags;
}

SelectionUpdate ParameterListModel::SelectRow(int row, const QString& editorTags) {
    if (row < -1 || row >= m_entries.size())
        row = -1;
    // A second event on the selected row must not drop what was typed since it was selected.
    if (row == m_selected)
        return {};
    StoreSelectedDescription(editorTags);
    m_selected = row;
    SelectionUpdate update;
    update.changed = true;
    update.editorEnabled = row >= 0;
    if (row >= 0)
        update.description = m_entries[row].description;
    return update;
}

} // namespace glossa
