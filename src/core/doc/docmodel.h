// SPDX-License-Identifier: MIT
#pragma once

#include "doc/sourcereport.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace glossa {

// Where a source's modules stand: each Module ... EndModule body, the names each DeclareModule
// declares, and the modules the file opens with UseModule. Module names are kept as written;
// comparisons ignore letter case, as PureBasic does.
struct SourceModules {
    struct Range {
        qsizetype start = 0;
        qsizetype end = 0; // after EndModule, or the text's end
        QString name;
    };
    QList<Range> bodies;
    QList<QPair<QString, QString>> declared; // module, procedure name
    QStringList used;

    // The module whose body holds the character, or empty.
    QString moduleAt(qsizetype character) const;
};

SourceModules scanModules(const QString& text);

// A stale part of a procedure's comment, under the check's rule id.
struct StaleMark {
    QString rule;
    int parameter = -1; // from 0, for marks that belong to one parameter
    QString message;
};

QList<StaleMark> staleMarks(const ProcedureReport& procedure);

// A parameter as the header declares it, for the parameter table.
struct ParameterDetail {
    QString name;         // "*p", "Count$", "a"
    QString type;         // ".s", ".Point", "Array .i(1)"; empty when none is written
    QString defaultValue; // empty when none
};

QList<ParameterDetail> parameterDetails(const QString& headerText);

// The summary's first line, for the index and the search.
QString summaryLine(const QString& summary);

// Every procedure of the export and the pages they stand on: what the index, the list of all
// procedures and the links between pages need. It grows with the number of procedures only
// (names, one-line summaries), never with the sources' size.
class Catalog {
public:
    struct Procedure {
        QString name;
        QString module;  // empty outside modules
        QString anchor;  // "Module::Name" or "Name", numbered when a page holds it twice
        QString summary; // first line, tagged text
        int file = 0;
        int line = 0;
        bool documented = false;
        bool stale = false;
        bool isPublic = false; // declared by its module's DeclareModule
        bool leftOut = false;  // private, and only public procedures are shown
    };
    struct File {
        QString page;   // relative to the output folder, "/" separators
        QString source; // relative path of the source, as its page title
        int first = 0;  // first procedure
        int count = 0;
        int shown = 0;      // the procedures on its page; none: it has no page
        int documented = 0; // of those shown
        int stale = 0;
        QStringList usedModules; // lower case
        bool missing = false;    // its page could not be written: nothing links to it
    };

    // A source with its procedures (in source order) and modules; the file's number. Without
    // pages, only what resolve() needs is kept: no anchor, summary or stale mark.
    int addFile(const QString& page, const QString& source, const QList<ProcedureReport>& reports,
                const SourceModules& modules, bool pages = true);
    // Marks the procedures their modules declare; call once after the last file.
    void finish();
    // Leaves the procedures private to their modules out of the pages and the lists, and the
    // files left without procedures; mentions of them link nowhere. Call after finish().
    void leaveOutPrivate();
    // The file's page could not be written: what is written after this doesn't link to it.
    void markMissing(int file) { files_[file].missing = true; }

    // The procedure that a mention of qualifier::name() or name() made in a file and module
    // stands for: the one in the named or the same module, else in the same file, else the only
    // one the file can reach; nothing when none or several remain.
    std::optional<int> resolve(int file, const QString& module, QStringView qualifier,
                               QStringView name) const;
    // Whether such a mention stands for any procedure at all, also when several remain.
    bool reaches(int file, const QString& module, QStringView qualifier, QStringView name) const {
        return find(file, module, qualifier, name).count != Matches::None;
    }

    const QList<Procedure>& procedures() const { return procedures_; }
    const QList<File>& files() const { return files_; }

private:
    // How many procedures a mention could stand for; procedure is the one when One.
    enum class Matches { None, One, Several };
    struct Match {
        Matches count = Matches::None;
        int procedure = 0;
    };
    // As resolve(), but tells no procedure from several.
    Match find(int file, const QString& module, QStringView qualifier, QStringView name) const;

    QList<Procedure> procedures_;
    QList<File> files_;
    QHash<QString, QList<int>> byName_;   // lower-case name
    QHash<QString, QString> moduleNames_; // lower case to the first spelling, shared by all
    QSet<QString> declared_;              // "module::name", lower case
};

} // namespace glossa

// Moved as bytes when the catalog's lists grow: their members are Qt's own relocatable types.
Q_DECLARE_TYPEINFO(glossa::Catalog::Procedure, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(glossa::Catalog::File, Q_RELOCATABLE_TYPE);
