// SPDX-License-Identifier: MIT
#pragma once

#include "comment/procedureheader.h"

#include <QString>
#include <QStringList>

namespace glossa {

// What the parameter editor has to do after a selection event.
struct SelectionUpdate {
    // False when the event changed nothing: leave the editor as it is.
    bool changed = false;
    // Whether the editor is enabled after the event.
    bool editorEnabled = false;
    // Tagged text to show in the emptied editor (may be empty).
    QString description;
};

// The parameter rows and which one's description the editor holds. The view shows rows() and
// passes the editor's text as tagged text.
class ParameterListModel {
public:
    ParameterListModel() = default;
    explicit ParameterListModel(ParameterList entries) : entries_(std::move(entries)) {}

    const ParameterList& entries() const { return entries_; }
    // Row texts, one per entry.
    QStringList rows() const;
    int rowCount() const { return int(entries_.size()); }
    // The list and the editor are usable only with at least one row.
    bool hasRows() const { return !entries_.isEmpty(); }
    // The descriptions in list order, as the block writer takes them.
    QStringList descriptions() const;

    // Row (from 0) whose description is in the editor, -1 for none.
    int SelectedParameter() const { return selected_; }

    // Stores the editor's tagged text as the selected row's description; nothing without one.
    void StoreSelectedDescription(const QString& editorTags);

    // A selection event of the list: an event on the already selected row changes nothing;
    // otherwise the previous row's description is stored from editorTags and the new row's is
    // returned for display (the editor is disabled when no row is selected).
    SelectionUpdate selectRow(int row, const QString& editorTags);

private:
    ParameterList entries_;
    int selected_ = -1;
};

} // namespace glossa
