// SPDX-License-Identifier: MIT
#pragma once

#include "doc/docmodel.h"
#include "doc/sourcereport.h"

#include <QList>
#include <QSet>
#include <QString>

namespace glossa {

// Whether the name is one of PureBasic's built-in functions or compiler functions ("SizeOf"),
// letter case ignored.
bool isBuiltInFunction(QStringView name);

// The names the code of a source uses with "(" after them (calls, declarations, prototypes,
// imports, arrays, lists, maps, interface methods; not the names a Procedure line defines) and
// the names of its macros, in lower case, added to names. Comments and strings are skipped.
void collectCodeNames(QStringView text, QSet<QString>& names);

// The broken-link rule over a tree of sources: a mention ("name()", "Module::name()") in the
// summary, a description or the result of a procedure that the export can't link to any
// procedure. Whether one can is known only once every source is read, so the sources are added
// first. When unsure it says nothing: a name ending in "_" (an API call), a built-in function,
// a parameter of the procedure, and a name any source's code uses (see collectCodeNames) are
// never reported, nor a mention that could stand for several procedures. Mentions in the
// example are code, which may define what it calls: they are left alone.
class LinkCheck {
public:
    // A source's text, its procedures as reportSource gives them and its modules (scanModules);
    // its number, from 0.
    int addSource(const QString& text, const QList<ProcedureReport>& reports,
                  const SourceModules& modules);
    // The source's findings, in the order of their places; call after the last addSource.
    QList<Finding> findings(int source);

private:
    static constexpr int kSummary = -1;
    static constexpr int kResult = -2;
    struct Mention {
        SourcePlace place;
        QString procedure;
        QString module;
        QString qualifier;
        QString name;
        QString header;
        int field = kSummary; // or the parameter's index, or kResult
    };
    Catalog catalog_;
    QSet<QString> codeNames_;
    QList<QList<Mention>> mentions_; // by source
    bool finished_ = false;
};

} // namespace glossa
