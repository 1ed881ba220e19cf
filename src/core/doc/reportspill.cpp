#include "doc/reportspill.h"

#include <QDir>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// Text as the strings hold it (UTF-16, in this machine's byte order: the file is read back by
// this process only), read straight into the strings without a conversion.
void Put(QDataStream& stream, const QString& text) {
    stream << text;
}

void Put(QDataStream& stream, const QStringList& list) {
    stream << qint32(list.size());
    for (const QString& text : list)
        Put(stream, text);
}

QString GetText(QDataStream& stream) {
    QString text;
    stream >> text;
    return text;
}

QStringList GetList(QDataStream& stream) {
    qint32 count = 0;
    stream >> count;
    QStringList list;
    for (qint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i)
        list.append(GetText(stream));
    return list;
}

void SaveReports(QDataStream& stream, const QList<ProcedureReport>& reports) {
    stream << qint64(reports.size());
    for (const ProcedureReport& r : reports) {
        Put(stream, r.header.headerText);
        Put(stream, r.name);
        stream << qint32(r.line) << r.documented << r.plainComment;
        Put(stream, r.summary);
        Put(stream, r.parameterNames);
        Put(stream, r.parameterDescriptions);
        stream << qint32(r.parameterLines);
        Put(stream, r.result);
        Put(stream, r.example);
    }
}

QList<ProcedureReport> LoadReports(QDataStream& stream) {
    qint64 count = 0;
    stream >> count;
    QList<ProcedureReport> reports;
    reports.reserve(qsizetype(std::clamp<qint64>(count, 0, 4096)));
    for (qint64 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        ProcedureReport r;
        qint32 line = 0;
        qint32 parameterLines = 0;
        r.header.headerText = GetText(stream);
        r.name = GetText(stream);
        stream >> line >> r.documented >> r.plainComment;
        r.summary = GetText(stream);
        r.parameterNames = GetList(stream);
        r.parameterDescriptions = GetList(stream);
        stream >> parameterLines;
        r.result = GetText(stream);
        r.example = GetText(stream);
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

void ReportSpill::Save(const QList<ProcedureReport>& reports) {
    SaveReports(stream_, reports);
}

QList<ProcedureReport> ReportSpill::Load() {
    return LoadReports(stream_);
}

bool ReportSpill::Restart() {
    if (!file_.seek(0))
        return false;
    stream_.resetStatus();
    return true;
}

} // namespace glossa
