#pragma once

#include "comment/commentcontext.h"
#include "comment/procedureheader.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace glossa {

// One procedure of a source and what its comment block says, as the editor window would
// load it. Fields are tagged text ("<br>" for line breaks).
struct ProcedureReport {
    ProcedureHeader header;
    QString name; // the procedure's name, without keyword and type
    int line = 0; // of the header, from 1
    bool documented = false;
    QString summary;
    QStringList parameterNames;        // from the header
    QStringList parameterDescriptions; // one per parameter, by position
    int parameterLines = 0;            // "<param>" lines in the block
    QString result;
    QString example;
};

// Every procedure of a source's text, in order, each with the block directly above it.
QList<ProcedureReport> ReportSource(const QString& text, const CommentContext& context);

// A problem of one procedure's comment, for a "path:line: Name: message" line.
struct Finding {
    int line = 0;
    QString name;
    QString message;
};

// The problems of a procedure's comment: no block; or an empty summary, a "<param>" count
// other than the parameter count, a description whose leading bold name names another
// parameter, a description still holding the placeholder.
QList<Finding> CheckProcedure(const ProcedureReport& procedure);

// The procedure's name in a header text ("Procedure.s Foo(a)" gives "Foo").
QString ProcedureName(const QString& headerText);

} // namespace glossa
