// SPDX-License-Identifier: MIT
#pragma once

#include "doc/sourcereport.h"

#include <QDataStream>
#include <QList>
#include <QString>
#include <QTemporaryFile>

namespace glossa {

// What the pages need of a source's procedures, kept on a temporary file between the reading
// and the writing of the pages, so that no source is read and parsed twice and memory doesn't
// grow with the comments of the whole tree. Without the file the sources are read a second
// time instead.
class ReportSpill {
public:
    ReportSpill();
    bool open() { return file_.open(); }
    // Appends one source's procedures.
    void save(const QList<ProcedureReport>& reports);
    // The next source's procedures, in the order saved.
    QList<ProcedureReport> load();
    // After the last save(): whether everything saved is on the file, to be loaded from the start.
    bool rewind() { return stream_.status() == QDataStream::Ok && file_.flush() && file_.seek(0); }
    // Loads from the start again.
    bool restart();
    void remove() { file_.remove(); }
    QString fileName() const { return file_.fileName(); }
    QString errorString() const { return file_.errorString(); }

private:
    QTemporaryFile file_;
    QDataStream stream_{&file_};
};

} // namespace glossa
