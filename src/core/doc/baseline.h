// SPDX-License-Identifier: MIT
#pragma once

#include "doc/findingkey.h"
#include "files/result.h"

#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>

namespace glossa {

// A baseline entry that no finding of the run took, and its line in the baseline file.
struct StaleEntry {
    int line = 0;
    FindingKey key;
};

// The bytes of a baseline: a header saying what the file is, then one key a line, sorted, so
// that a person can read the file and review its changes in a diff.
QByteArray baselineBytes(QList<FindingKey> keys);

// Whether bytes are a baseline that Glossa wrote (its header), which -write-baseline may
// replace without -force.
bool isBaselineBytes(QByteArrayView bytes);

// How one check run uses a baseline file. With -baseline:FILE the findings that it holds are
// left out of the report, and its entries that no finding took are stale; with
// -write-baseline:FILE the key of every finding is kept, and written at the end. The keys'
// paths are relative to the file's folder.
class BaselineRun {
public:
    // Reads the baseline to use (readFile), or checks that writeFile may be replaced: a missing
    // file or an earlier baseline, anything with force. writing wins when both are named, so
    // that a baseline can be made afresh. Fails, with the reason, when the run can't go on.
    Result start(const QString& readFile, const QString& writeFile, bool force);
    bool active() const { return !file_.isEmpty(); }
    bool writing() const { return writing_; }
    QString file() const { return file_; }

    // A source read whole: the entries of its findings are looked for.
    void sourceRead(const QString& sourcePath);
    // A source's findings, in source order: true for each that the report leaves out, because
    // the baseline holds it (the entry is then taken) or because it is kept for the baseline
    // being written. A finding of an error's rule is never left out.
    QList<bool> take(const QString& sourcePath, const QList<Finding>& findings);
    qint64 taken() const { return taken_; }
    // Which of a source's findings (in source order) the baseline holds, without taking them.
    QList<bool> holds(const QString& sourcePath, const QList<Finding>& findings) const;

    // The entries of sources read whose rules were looked for, that no finding took; in the
    // order of the file.
    QList<StaleEntry> stale(const std::function<bool(CheckRule)>& lookedFor) const;

    // Writes the keys kept.
    Result write() const;
    qsizetype keysKept() const { return kept_.size(); }

private:
    Result read();

    QString file_;
    QDir folder_;
    bool writing_ = false;
    QHash<QString, int> entries_; // key text to its line in the file
    QSet<QString> sourcesRead_;   // as keys name them
    qint64 taken_ = 0;
    QList<FindingKey> kept_;
};

} // namespace glossa
