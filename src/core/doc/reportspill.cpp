// SPDX-License-Identifier: MIT
#include "doc/reportspill.h"

#include <QDir>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Text as the strings hold it (UTF-16, in this machine's byte order: the file is read back by
// this process only), read straight into the strings without a conversion.
void put(QDataStream& stream, const QString& text) {
    stream << text;
}

void put(QDataStream& stream, const QStringList& list) {
    stream << qint32(list.size());
    for (const QString& text : list)
        put(stream, text);
}

QString getText(QDataStream& stream) {
    QString text;
    stream >> text;
    return text;
}

QStringList getList(QDataStream& stream) {
    qint32 count = 0;
    stream >> count;
    QStringList list;
    for (qint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i)
        list.append(getText(stream));
    return list;
}

void saveReports(QDataStream& stream, const QList<ProcedureReport>& reports) {
    stream << qint64(reports.size());
    for (const ProcedureReport& r : reports) {
        put(stream, r.header.headerText);
        put(stream, r.name);
        stream << qint32(r.line) << r.documented << r.plainComment;
        put(stream, r.summary);
        put(stream, r.parameterNames);
        put(stream, r.parameterDescriptions);
        stream << qint32(r.parameterLines);
        put(stream, r.result);
        put(stream, r.example);
    }
}

QList<ProcedureReport> loadReports(QDataStream& stream) {
    qint64 count = 0;
    stream >> count;
    QList<ProcedureReport> reports;
    reports.reserve(qsizetype(std::clamp<qint64>(count, 0, 4096)));
    for (qint64 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        ProcedureReport r;
        qint32 line = 0;
        qint32 parameterLines = 0;
        r.header.headerText = getText(stream);
        r.name = getText(stream);
        stream >> line >> r.documented >> r.plainComment;
        r.summary = getText(stream);
        r.parameterNames = getList(stream);
        r.parameterDescriptions = getList(stream);
        stream >> parameterLines;
        r.result = getText(stream);
        r.example = getText(stream);
        r.line = line;
        r.parameterLines = parameterLines;
        reports.append(std::move(r));
    }
    return reports;
}

} // namespace

ReportSpill::ReportSpill() : file_(QDir::temp().filePath(u"glossa-export-XXXXXX"_s)) {
    stream_.setByteOrder(QDataStream::ByteOrder(QSysInfo::ByteOrder)); // the same values
}

void ReportSpill::save(const QList<ProcedureReport>& reports) {
    saveReports(stream_, reports);
}

QList<ProcedureReport> ReportSpill::load() {
    return loadReports(stream_);
}

bool ReportSpill::restart() {
    if (!file_.seek(0))
        return false;
    stream_.resetStatus();
    return true;
}

} // namespace glossa
