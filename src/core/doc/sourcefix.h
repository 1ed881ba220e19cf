// SPDX-License-Identifier: MIT
#pragma once

#include "doc/sourcereport.h"
#include "doc/sourcetree.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace glossa {

// What "-check -fix" does to one source: the mechanical fixes, each one a block rewritten as
// the editor window writes it when opened and applied without edits.
// - param-count, param-renamed: descriptions follow their parameters (see matchDescriptions),
//   a missing one gets the default description; surplus descriptions stay (after the
//   parameters' lines), and a renamed parameter's description keeps its old bold name.
// - plain-comment: the plain comment above a header becomes its block (summary = its text,
//   default descriptions).
// Nothing else changes: every other byte of the source stays, no text is removed. A procedure
// whose "; glossa-ignore" silences one of a fix's rules, or whose finding of one the baseline
// holds, doesn't get that fix.
struct FixedSource {
    QByteArray bytes;     // the whole new source (its byte-order mark kept); empty: no change
    QList<Finding> fixed; // the findings (of any rule) the fixes took away, at their old places
    QString text;         // the new source's text, as read again
};

// A finding of the rule in the procedure (by its number in the source, from 0) that is not to
// be fixed: one the baseline holds.
using FixHeld = std::function<bool(qsizetype procedure, CheckRule rule)>;

// fixRules: the rules whose findings are fixed; documentedOnly: only procedures with a block
// are looked at (the -documented option); held: findings left as they are.
FixedSource fixSource(const SourceText& source, const QList<CheckRule>& fixRules,
                      bool documentedOnly, const FixHeld& held = {});

// The rules "-fix" alone fixes.
QList<CheckRule> defaultFixRules();

// A unified diff ("--- a/path", "+++ b/path", one hunk from the first to the last changed line
// with 3 lines of context) of the two texts, split at line feeds; empty when they are equal.
QString unifiedDiff(const QString& path, const QString& before, const QString& after);

} // namespace glossa
