#include "doc/docrun.h"

#include "doc/checkedoutput.h"
#include "doc/checkreport.h"
#include "doc/docmanifest.h"
#include "doc/docmodel.h"
#include "doc/docpages.h"
#include "doc/linkcheck.h"
#include "doc/sourcereport.h"
#include "doc/sourcetree.h"
#include "files/prefault.h"
#include "files/safewrite.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

bool IsTerminal(std::FILE* stream) {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream));
#else
    return isatty(fileno(stream));
#endif
}

// Counts the sources on err while a run goes on, on a terminal only and only once the run has
// taken a second; cleared before anything else is printed, so that no line mixes with it.
class ProgressLine {
public:
    ProgressLine(std::FILE* err, qsizetype total)
        : err_(err), total_(total), terminal_(IsTerminal(err)) {
        timer_.start();
    }
    void Show(qsizetype done) {
        // Ten updates a second are enough to see it move.
        if (!terminal_ || timer_.elapsed() < 1000 || timer_.elapsed() - shownAt_ < 100)
            return;
        shownAt_ = timer_.elapsed();
        const QString text = u"glossa: %1 of %2 sources"_s.arg(done).arg(total_);
        Print(err_, u'\r' + text);
        shownWidth_ = text.size();
    }
    void Clear() {
        if (shownWidth_ == 0)
            return;
        Print(err_, u'\r' + QString(shownWidth_, u' ') + u'\r');
        shownWidth_ = 0;
    }

private:
    std::FILE* err_;
    qsizetype total_;
    bool terminal_;
    QElapsedTimer timer_;
    qsizetype shownWidth_ = 0;
    qint64 shownAt_ = 0;
};

// The first folder on the way from root down to page that is a symbolic link, or empty. Pages
// are never written through a link: it could lead out of the output folder.
QString LinkedFolderOnTheWay(const QDir& root, const QString& page) {
    const QStringList parts = page.split(u'/');
    QString relative;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        relative += (i ? u"/"_s : QString()) + parts[i];
        if (QFileInfo(root.filePath(relative)).isSymLink())
            return root.filePath(relative);
    }
    return {};
}

// True when path is a regular file (not a link) that holds exactly bytes.
bool HoldsAlready(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || info.size() != bytes.size())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // In pieces: the index can be large.
    constexpr qsizetype kPiece = qsizetype{64} * 1024;
    for (qsizetype at = 0; at < bytes.size(); at += kPiece) {
        const QByteArray piece = file.read(kPiece);
        if (piece != QByteArrayView(bytes).sliced(at, std::min(kPiece, bytes.size() - at)))
            return false;
    }
    return true;
}

// A generated page replaces its old version whole, or the link that stood in its place. A page
// that holds these bytes already is left as it is: a second export of sources that barely
// changed then writes (and flushes) only what did change. Folders made are remembered in
// folders, so that each is made once.
bool WritePage(const QString& path, const QByteArray& bytes, QSet<QString>& folders,
               QString* reason) {
    const QString folder = QFileInfo(path).path();
    if (!folders.contains(folder)) {
        if (!QDir().mkpath(folder)) {
            *reason = u"its folder can't be created"_s;
            return false;
        }
        folders.insert(folder);
    }
    if (HoldsAlready(path, bytes))
        return true;
    WriteOptions options;
    options.sync = false; // one sync for the whole export
    options.followLink = false;
    const WriteResult written = WriteFileSafely(path, bytes, options);
    *reason = written.reason;
    return written.ok;
}

// What the pages need of a source's procedures, kept on a temporary file between the reading
// and the writing of the pages, so that no source is read and parsed twice and memory doesn't
// grow with the comments of the whole tree. Text as the strings hold it (UTF-16, in this
// machine's byte order: the file is read back by this process only), read straight into the
// strings without a conversion.
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
        stream << qint32(r.line) << r.documented;
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
        stream >> line >> r.documented;
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

// Runs work on a thread of its own, in the order it is added, while the caller does something
// else with the results that are ready: the cataloguing of one source beside the reading of the
// next, the building of one page beside the writing of the one before. With CallerHelps::Yes a
// caller that would wait does the next job itself: the work must then be safe to run on two
// threads at once. Standard threads and locks, which the thread sanitizer understands (Qt's,
// unless Qt itself is built for it, look like races to it).
enum class CallerHelps { No, Yes };

template <typename Job, typename Result> class InOrder {
public:
    // At most this many jobs are queued or done and not yet taken.
    static constexpr qsizetype kAhead = 16;
    // The waiting caller is woken once this many results are ready (or nothing is left to do),
    // not at each one: on a virtual machine each sleep and wake-up costs tens of microseconds.
    static constexpr qsizetype kBatch = 8;
    using Work = std::function<Result(Job&)>;

    InOrder(Work work, CallerHelps helps) : work_(std::move(work)), helps_(helps) {
        thread_ = std::thread([this] { Run(); });
    }
    ~InOrder() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    InOrder(const InOrder&) = delete;
    InOrder& operator=(const InOrder&) = delete;

    void Add(Job job) {
        const std::lock_guard lock(mutex_);
        todo_.append({added_++, std::move(job)});
        wake_.notify_all();
    }
    // Whether as many jobs are under way as may be.
    bool Full() const { return added_ - taken_ >= kAhead; }
    bool Pending() const { return added_ > taken_; }
    // The next result, in the order added; waits until it is done.
    Result Next() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (const auto ready = done_.find(taken_); ready != done_.end()) {
                Result result = std::move(*ready);
                done_.erase(ready);
                ++taken_;
                return result;
            }
            if (helps_ == CallerHelps::Yes && !todo_.isEmpty()) {
                auto [number, job] = todo_.takeFirst();
                lock.unlock();
                Result result = work_(job);
                lock.lock();
                done_.insert(number, std::move(result));
                continue;
            }
            wake_.wait(lock);
        }
    }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            while (todo_.isEmpty() && !stop_)
                wake_.wait(lock);
            if (todo_.isEmpty())
                return;
            auto [number, job] = todo_.takeFirst();
            lock.unlock();
            Result result = work_(job);
            lock.lock();
            done_.insert(number, std::move(result));
            if (done_.size() >= kBatch || todo_.isEmpty())
                wake_.notify_all();
        }
    }

    Work work_;
    CallerHelps helps_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    QList<std::pair<qsizetype, Job>> todo_; // by the number given when added
    QMap<qsizetype, Result> done_;
    qsizetype added_ = 0; // only changed under the lock, on the caller's thread
    qsizetype taken_ = 0;
    bool stop_ = false;
};

// Whether the output folder is one of the folders of sources named: pages there would stand
// among the sources (and replace their index.html).
bool IsASourceFolder(const QString& output, const QStringList& paths) {
    const QString folder = QFileInfo(output).canonicalFilePath();
    if (folder.isEmpty())
        return false;
    for (const QString& path : paths) {
        const QString source = QFileInfo(path).canonicalFilePath();
        if (QFileInfo(path).isDir() && IsUnderRoots(folder, {source}) &&
            IsUnderRoots(source, {folder}))
            return true;
    }
    return false;
}

// What the export will write: the page of each source of this run, then the index pages.
QList<ManifestEntry> PlannedFiles(const Catalog& catalog, const QList<qsizetype>& pageSources,
                                  const QList<SourceFile>& sources, const QString& extension) {
    QList<ManifestEntry> planned;
    for (int file = 0; file < pageSources.size(); ++file) {
        if (pageSources[file] >= 0)
            planned.append({catalog.Files()[file].page,
                            QFileInfo(sources[pageSources[file]].path).canonicalFilePath()});
    }
    for (const QLatin1StringView name : {kIndexName, kAllProceduresName})
        planned.append({name + extension, QString()});
    return planned;
}

// The manifest that an export writes before its first page: the earlier entries and the
// files it is about to write, so that an export cut short still knows them as its own.
QList<ManifestEntry> WithPlanned(const QList<ManifestEntry>& earlier,
                                 const QList<ManifestEntry>& planned) {
    QSet<QString> names;
    for (const ManifestEntry& entry : planned)
        names.insert(entry.file);
    QList<ManifestEntry> entries;
    for (const ManifestEntry& entry : earlier) {
        if (!names.contains(entry.file))
            entries.append(entry);
    }
    return entries + planned;
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Before anything is written into the output folder: refuses (unless forced) when a file the
// export would replace isn't one Glossa wrote, then makes the folder and writes the manifest
// ahead of the pages. False, with the reasons given to fail, when nothing may be written.
bool StartExport(const QDir& folder, const QList<ManifestEntry>& planned,
                 const QList<ManifestEntry>& earlier, bool force,
                 const std::function<void(const QString&)>& fail) {
    QStringList names;
    for (const ManifestEntry& entry : planned)
        names << entry.file;
    const QStringList foreign = force ? QStringList() : FilesNotOurs(folder, names, earlier);
    for (const QString& name : foreign)
        fail(u"won't replace %1: Glossa didn't write it"_s.arg(Native(folder.filePath(name))));
    if (!foreign.isEmpty()) {
        fail(u"nothing written to %1; -force replaces these files"_s.arg(Native(folder.path())));
        return false;
    }
    if (!QDir().mkpath(folder.path())) {
        fail(u"can't create the folder %1"_s.arg(Native(folder.path())));
        return false;
    }
    QSet<QString> folders;
    QString reason;
    const QString path = folder.filePath(ManifestName());
    if (!WritePage(path, ManifestBytes(WithPlanned(earlier, planned)), folders, &reason)) {
        fail(u"can't write %1: %2"_s.arg(Native(path), reason));
        return false;
    }
    return true;
}

} // namespace

int RunDocumentation(const QStringList& arguments, const QString& settingsPath, std::FILE* out,
                     std::FILE* err) {
    const DocumentationOptions options = ParseDocumentationOptions(arguments);
    const bool sarifLog = options.check && options.checkFormat == CheckFormat::Sarif;
    CheckedOutput output(out);
    SarifLog sarif;
    // Every run ends here. A SARIF log is written after an error too: it names the error, so
    // that code scanning never takes the run for a clean analysis.
    auto finish = [&](int code) {
        if (sarifLog)
            output.Write(sarif.ToJson());
        output.Finish();
        return output.ExitCode(code, err);
    };
    auto sayError = [&](const QString& text) {
        Print(err, u"glossa: "_s + text + u'\n');
        if (sarifLog)
            sarif.AddError(text);
    };
    if (!options.errors.isEmpty()) {
        for (const QString& error : options.errors)
            sayError(error);
        return finish(2);
    }
    const bool exporting = !options.exportFolder.isEmpty();
    if (exporting && IsASourceFolder(options.exportFolder, options.paths)) {
        sayError(u"won't export into %1: it holds the sources; name a folder of its own (one "
                 "inside it will do)"_s.arg(QDir::toNativeSeparators(options.exportFolder)));
        return finish(2);
    }
    SourceList sources = CollectSources(options.paths, options.excludes);
    ProgressLine progress(err, sources.files.size());
    bool failed = false;
    auto fail = [&](const QString& text) {
        progress.Clear();
        sayError(text);
        failed = true;
    };

    for (const UnreadablePath& path : sources.unreadable)
        fail(u"can't read %1: %2"_s.arg(path.displayPath, path.reason));
    for (const UnreadablePath& path : sources.skipped)
        Print(err, u"glossa: skipped %1: %2\n"_s.arg(path.displayPath, path.reason));
    // A mistyped or empty folder must not pass as a clean check.
    if (sources.files.isEmpty() && sources.unreadable.isEmpty()) {
        fail(u"no sources (*.pb, *.pbi) in %1"_s.arg(
            QDir::toNativeSeparators(options.paths.join(u", "_s))));
        return finish(2);
    }

    const QString extension = options.markdown ? u".md"_s : u".html"_s;
    const QDir outFolder(options.exportFolder);
    PageStyle style;
    // Pages by lower-case name (folders may ignore letter case), to refuse a second source
    // whose page would replace the first one's.
    QHash<QString, QString> pageOwners;
    QSet<QString> namedSources;
    if (exporting) {
        KeepFreedMemory();
        style = MakePageStyle(options.ideTheme, settingsPath, options.sourceUrl);
        for (const QLatin1StringView name : {kIndexName, kAllProceduresName})
            pageOwners.insert((name + extension).toLower(), QString());
        for (const SourceFile& source : sources.files) {
            if (source.named)
                namedSources.insert(QFileInfo(source.path).canonicalFilePath());
        }
    }
    // The roots given, and the sources of an earlier export in this format that lie outside
    // them: those are read too (not checked, their pages not rewritten), so that the index and
    // the links still cover them.
    QStringList roots;
    for (const QString& path : options.paths) {
        if (const QString root = QFileInfo(path).canonicalFilePath(); !root.isEmpty())
            roots << root;
    }
    const qsizetype givenSources = sources.files.size();
    const QList<ManifestEntry> earlierManifest =
        exporting ? ReadManifest(outFolder) : QList<ManifestEntry>();
    if (exporting) {
        for (const ManifestEntry& entry : earlierManifest) {
            if (entry.source.isEmpty() || !entry.file.endsWith(extension) ||
                IsUnderRoots(entry.source, roots) || !QFileInfo(entry.source).isFile())
                continue;
            SourceFile other;
            other.path = entry.source;
            other.displayPath = QDir::toNativeSeparators(entry.source);
            other.relativePath = entry.file.chopped(extension.size());
            sources.files.append(other);
        }
    }
    qint64 procedures = 0;
    qint64 documented = 0;
    qint64 findingCount = 0;
    // Counts a finding and gives its line, or adds it to the SARIF log.
    auto findingText = [&](const SourceFile& source, const Finding& finding) {
        ++findingCount;
        if (IsErrorRule(finding.rule))
            failed = true;
        if (options.checkFormat == CheckFormat::Sarif)
            sarif.Add(source.path, finding);
        else if (options.checkFormat == CheckFormat::Github)
            return GithubCommand(source.displayPath, finding);
        else if (options.checkFormat == CheckFormat::Lines)
            return FindingLine(source.displayPath, finding);
        return QString();
    };
    auto printFindings = [&](const QString& lines) {
        if (lines.isEmpty())
            return;
        progress.Clear();
        output.WriteText(lines);
        output.Flush();
    };
    // Sources that exist but can't be read: the check reports them, and their pages of an
    // earlier export stay.
    QSet<QString> unreadSources;
    auto unreadable = [&](const SourceFile& source, const QString& reason, bool text) {
        unreadSources.insert(QFileInfo(source.path).canonicalFilePath());
        if (!text || !options.check) {
            fail(u"can't read %1: %2"_s.arg(source.displayPath, reason));
            return;
        }
        printFindings(findingText(source, {{1, 1},
                                           CheckRule::UnreadableSource,
                                           QString(),
                                           u"can't read the source: "_s + reason}));
    };
    // Broken links are known once every source is read: their findings come after the others.
    const bool linking = options.check && options.RuleOn(CheckRule::BrokenLink);
    LinkCheck links;
    QList<qsizetype> linkSources; // by the link check's source number
    // The first reading checks and learns every procedure; pages are written in a second one,
    // when links to procedures of any file can be made. Only one source is in memory at a time.
    Catalog catalog;
    QList<qsizetype> pageSources; // by the catalog's file number
    // Without a temporary file the sources are read a second time instead.
    QTemporaryFile spillFile(QDir::temp().filePath(u"glossa-export-XXXXXX"_s));
    const bool spilling = exporting && spillFile.open();
    QDataStream spill(&spillFile);
    spill.setByteOrder(QDataStream::ByteOrder(QSysInfo::ByteOrder)); // the same values
    qsizetype done = 0;
    // The catalog and the temporary file are filled on a second thread, in the order of the
    // sources, while this one reads and parses the next ones; neither is touched here until
    // that thread is done. The procedures come back to be freed here, where they were made.
    struct Catalogued {
        QString page;
        QString relativePath;
        QList<ProcedureReport> reports;
        SourceModules modules;
        bool spilled = false;
    };
    // Only for an export: a check has nothing to hand over.
    std::unique_ptr<InOrder<Catalogued, QList<ProcedureReport>>> cataloguer;
    if (exporting) {
        cataloguer = std::make_unique<InOrder<Catalogued, QList<ProcedureReport>>>(
            [&](Catalogued& job) {
                catalog.AddFile(job.page, job.relativePath, job.reports, job.modules);
                if (job.spilled)
                    SaveReports(spill, job.reports);
                return std::move(job.reports);
            },
            CallerHelps::No);
    }
    auto catalogue = [&](Catalogued job) {
        cataloguer->Add(std::move(job));
        if (cataloguer->Full())
            cataloguer->Next();
    };
    for (qsizetype s = 0; s < sources.files.size(); ++s) {
        const SourceFile& source = sources.files[s];
        const bool given = s < givenSources;
        progress.Show(++done);
        SourceText text;
        QString reason;
        if (!ReadSourceText(source.path, text, &reason) || !text.unreadable.isEmpty()) {
            if (given)
                unreadable(source, reason.isEmpty() ? text.unreadable : reason,
                           !text.unreadable.isEmpty());
            continue;
        }
        QList<ProcedureReport> reports = ReportSource(text.text, text.context);
        if (!given) {
            // An earlier export's page: known, not written again.
            const QString page = source.relativePath + extension;
            if (!reports.isEmpty() && !pageOwners.contains(page.toLower())) {
                pageOwners.insert(page.toLower(), source.displayPath);
                catalogue(
                    {page, source.relativePath, std::move(reports), ScanModules(text.text), false});
                pageSources.append(-1);
            }
            continue;
        }
        procedures += reports.size();
        if (options.check) {
            QString lines;
            for (const ProcedureReport& report : reports) {
                if (options.documentedOnly && !report.documented)
                    continue;
                for (const Finding& finding : CheckProcedure(report)) {
                    if (options.RuleOn(finding.rule))
                        lines += findingText(source, finding);
                }
            }
            printFindings(lines);
            if (linking) {
                links.AddSource(text.text, reports);
                linkSources.append(s);
            }
        }
        for (const ProcedureReport& report : reports)
            documented += report.documented ? 1 : 0;
        // A source without procedures gets no page.
        if (!exporting || reports.isEmpty())
            continue;

        const QString page = source.relativePath + extension;
        const QString key = page.toLower();
        if (const auto owner = pageOwners.constFind(key); owner != pageOwners.constEnd()) {
            fail(u"%1 not exported: its page %2 is taken by %3"_s.arg(
                source.displayPath, page, owner->isEmpty() ? u"the index"_s : *owner));
            continue;
        }
        if (const QString link = LinkedFolderOnTheWay(outFolder, page); !link.isEmpty()) {
            fail(u"%1 not exported: the folder %2 is a link, and pages are not written through "
                 "links"_s.arg(source.displayPath, QDir::toNativeSeparators(link)));
            continue;
        }
        if (const QString existing = namedSources.isEmpty()
                                         ? QString()
                                         : QFileInfo(outFolder.filePath(page)).canonicalFilePath();
            !existing.isEmpty() && namedSources.contains(existing)) {
            fail(u"%1 not exported: its page would replace a source"_s.arg(source.displayPath));
            continue;
        }
        pageOwners.insert(key, source.displayPath);
        catalogue(
            {page, source.relativePath, std::move(reports), ScanModules(text.text), spilling});
        pageSources.append(s);
    }
    if (linking) {
        QString lines;
        for (int n = 0; n < linkSources.size(); ++n) {
            for (const Finding& finding : links.Findings(n))
                lines += findingText(sources.files[linkSources[n]], finding);
        }
        printFindings(lines);
    }
    while (cataloguer && cataloguer->Pending())
        cataloguer->Next();
    cataloguer.reset();
    progress.Clear();
    const bool writing =
        exporting &&
        StartExport(outFolder, PlannedFiles(catalog, pageSources, sources.files, extension),
                    earlierManifest, options.force, fail);
    if (writing) {
        catalog.Finish();
        qint64 pagesWritten = 0;
        QList<ManifestEntry> manifest;
        QSet<QString> written;
        QSet<QString> failedPages; // their old versions stay, still ours
        QSet<QString> folders;
        auto writeFile = [&](const QString& relative, const QByteArray& bytes,
                             const QString& sourcePath, bool listed = true) {
            const QString target = outFolder.filePath(relative);
            QString reason;
            if (!WritePage(target, bytes, folders, &reason)) {
                failedPages.insert(relative);
                fail(u"can't write %1: %2"_s.arg(QDir::toNativeSeparators(target), reason));
                return false;
            }
            if (listed)
                manifest.append({relative, sourcePath});
            written.insert(relative);
            return true;
        };
        if (spilling &&
            (spill.status() != QDataStream::Ok || !spillFile.flush() || !spillFile.seek(0))) {
            fail(u"can't keep the procedures in %1: %2"_s.arg(
                QDir::toNativeSeparators(spillFile.fileName()), spillFile.errorString()));
            return finish(2);
        }
        // Pages are built on a second thread while this one reads what they need and writes
        // them, in order. The catalog stays as it is meanwhile: the pages whose writing failed
        // are marked afterwards. Written are the pages of the files in round (all when empty);
        // the files whose page failed are returned.
        auto writePages = [&](const QSet<int>& round) {
            QList<int> failedFiles;
            using Job = std::pair<int, QList<ProcedureReport>>;
            // The procedures go back with the page, to be freed on this thread, which made them:
            // memory freed on another thread takes a lock on this thread's heap, and the two
            // threads then wait for each other.
            struct Built {
                int file;
                QByteArray bytes;
                QList<ProcedureReport> reports;
            };
            // Pages only read the catalog and the style: this thread builds some of them too
            // when it would otherwise wait.
            InOrder<Job, Built> builder(
                [&](Job& job) {
                    auto& [file, reports] = job;
                    QByteArray bytes =
                        (options.markdown ? BuildMarkdownPage(reports, catalog, file, style)
                                          : BuildHtmlPage(reports, catalog, file, style))
                            .toUtf8();
                    return Built{file, std::move(bytes), std::move(reports)};
                },
                CallerHelps::Yes);
            auto writeNext = [&] {
                const Built built = builder.Next();
                const int file = built.file;
                const QByteArray& bytes = built.bytes;
                const QString& page = catalog.Files()[file].page;
                const bool again = written.contains(page);
                if (writeFile(page, bytes,
                              QFileInfo(sources.files[pageSources[file]].path).canonicalFilePath(),
                              !again)) {
                    pagesWritten += again ? 0 : 1;
                } else {
                    failedFiles.append(file);
                }
            };
            done = 0;
            for (int file = 0; file < pageSources.size(); ++file) {
                if (pageSources[file] < 0)
                    continue;
                const SourceFile& source = sources.files[pageSources[file]];
                const bool wanted = round.isEmpty() || round.contains(file);
                if (wanted)
                    progress.Show(++done);
                QList<ProcedureReport> reports;
                if (spilling) {
                    reports = LoadReports(spill);
                } else if (wanted) {
                    SourceText text;
                    QString reason;
                    if (!ReadSourceText(source.path, text, &reason)) {
                        fail(u"can't read %1: %2"_s.arg(source.displayPath, reason));
                        continue;
                    }
                    reports = ReportSource(text.text, text.context);
                }
                if (!wanted)
                    continue;
                builder.Add({file, std::move(reports)});
                if (builder.Full())
                    writeNext();
            }
            while (builder.Pending())
                writeNext();
            return failedFiles;
        };
        const QList<int> failedFiles = writePages({});
        // A page that failed must not stay linked from the pages written before it: those are
        // made again without its links (the ones that come out the same are left alone). One
        // that fails now keeps its first version, which is still there to link to.
        if (!failedFiles.isEmpty()) {
            for (const int file : failedFiles)
                catalog.MarkMissing(file);
            QSet<int> round;
            for (int file = 0; file < pageSources.size(); ++file) {
                if (pageSources[file] >= 0 && !catalog.Files()[file].missing &&
                    written.contains(catalog.Files()[file].page))
                    round.insert(file);
            }
            if (!round.isEmpty() && (!spilling || spillFile.seek(0))) {
                spill.resetStatus();
                writePages(round);
            }
        }
        // Gone before the sync, which would otherwise flush it to the disk with the pages.
        spillFile.remove();
        progress.Clear();

        bool indexWritten = true;
        const QList<TopText> texts = options.markdown ? QList<TopText>() : TopTexts(catalog);
        auto buildTop = [&](QLatin1StringView name) {
            // Room for a line of each procedure, so that the page grows in few steps.
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            bytes.reserve(catalog.Procedures().size() * 256 + qsizetype{64} * 1024);
            const bool built =
                name == kIndexName
                    ? (options.markdown ? WriteMarkdownIndex(catalog, buffer)
                                        : WriteHtmlIndex(catalog, style, texts, buffer))
                    : (options.markdown ? WriteMarkdownAllProcedures(catalog, buffer)
                                        : WriteHtmlAllProcedures(catalog, style, texts, buffer));
            return built ? bytes : QByteArray();
        };
        // One after the other: at 100,000 procedures each is some 30 MB.
        for (const QLatin1StringView name : {kIndexName, kAllProceduresName}) {
            const QByteArray bytes = buildTop(name);
            const QString relative = name + extension;
            if (bytes.isEmpty()) {
                fail(u"can't write %1: the page could not be built"_s.arg(
                    QDir::toNativeSeparators(outFolder.filePath(relative))));
                indexWritten = false;
            } else if (!writeFile(relative, bytes, QString())) {
                indexWritten = false;
            }
        }

        // Pages of an earlier export in this format whose sources, under the roots given now,
        // got no page this time: their sources are gone (or have no procedures any more). The
        // page of a source that is there but couldn't be read stays.
        for (const ManifestEntry& entry : earlierManifest) {
            if (written.contains(entry.file))
                continue;
            QString reason;
            if (entry.source.isEmpty() || !entry.file.endsWith(extension) ||
                !IsUnderRoots(entry.source, roots) || failedPages.contains(entry.file) ||
                unreadSources.contains(entry.source)) {
                manifest.append(entry);
            } else if (!RemoveOwnFile(outFolder, entry.file, &reason)) {
                Print(err, u"glossa: left %1 in place: %2\n"_s.arg(
                               QDir::toNativeSeparators(outFolder.filePath(entry.file)), reason));
            } else {
                RemoveEmptyFoldersOf(outFolder, entry.file);
            }
        }
        QString reason;
        if (!WritePage(outFolder.filePath(ManifestName()), ManifestBytes(manifest), folders,
                       &reason))
            fail(u"can't write %1: %2"_s.arg(
                QDir::toNativeSeparators(outFolder.filePath(ManifestName())), reason));
        if (const WriteResult synced = SyncFolder(options.exportFolder); !synced.ok)
            fail(u"can't flush the pages in %1 to the disk: %2"_s.arg(
                QDir::toNativeSeparators(options.exportFolder), synced.reason));
        if (!options.check)
            output.WriteText(u"%1 %2 %3 written to %4\n"_s.arg(pagesWritten)
                                 .arg(pagesWritten == 1 ? u"page"_s : u"pages"_s,
                                      indexWritten ? u"and the index"_s : u"(not the index)"_s,
                                      QDir::toNativeSeparators(options.exportFolder)));
    }
    if (options.check) {
        const QString count = u"%1 procedures, %2 documented, %3 %4\n"_s.arg(procedures)
                                  .arg(documented)
                                  .arg(findingCount)
                                  .arg(findingCount == 1 ? u"finding"_s : u"findings"_s);
        if (sarifLog)
            Print(err, count);
        else
            output.WriteText(count);
    }
    return finish(failed ? 2 : options.check && findingCount > 0 ? 1 : 0);
}

} // namespace glossa
