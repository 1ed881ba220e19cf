// SPDX-License-Identifier: MIT
#include "doc/docrun.h"

#include "doc/baseline.h"
#include "doc/checkconfig.h"
#include "doc/checkedoutput.h"
#include "doc/checkreport.h"
#include "doc/docmanifest.h"
#include "doc/docmodel.h"
#include "doc/docpages.h"
#include "doc/docplan.h"
#include "doc/findingkey.h"
#include "doc/githubreport.h"
#include "doc/gitlabreport.h"
#include "doc/inorder.h"
#include "doc/linkcheck.h"
#include "doc/reportspill.h"
#include "doc/searchindex.h"
#include "doc/sourcefix.h"
#include "doc/sourcereport.h"
#include "doc/sourcetree.h"
#include "files/prefault.h"
#include "files/safewrite.h"
#include "log/logging.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

void print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

bool isTerminal(std::FILE* stream) {
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
    explicit ProgressLine(std::FILE* err) : err_(err), terminal_(isTerminal(err)) {}
    // The run's sources are known: the second before the line shows starts now.
    void start(qsizetype total) {
        total_ = total;
        timer_.start();
    }
    void show(qsizetype done) {
        // Ten updates a second are enough to see it move.
        if (!terminal_ || timer_.elapsed() < 1000 || timer_.elapsed() - shownAt_ < 100)
            return;
        shownAt_ = timer_.elapsed();
        const QString text = u"glossa: %1 of %2 sources"_s.arg(done).arg(total_);
        print(err_, u'\r' + text);
        shownWidth_ = text.size();
    }
    void clear() {
        if (shownWidth_ == 0)
            return;
        print(err_, u'\r' + QString(shownWidth_, u' ') + u'\r');
        shownWidth_ = 0;
    }

private:
    std::FILE* err_;
    qsizetype total_ = 0;
    bool terminal_;
    QElapsedTimer timer_;
    qsizetype shownWidth_ = 0;
    qint64 shownAt_ = 0;
};

// The first folder on the way from root down to page that is a symbolic link, or empty. Pages
// are never written through a link: it could lead out of the output folder.
QString linkedFolderOnTheWay(const QDir& root, const QString& page) {
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
bool holdsAlready(const QString& path, const QByteArray& bytes) {
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
Result writePage(const QString& path, const QByteArray& bytes, QSet<QString>& folders) {
    const QString folder = QFileInfo(path).path();
    if (!folders.contains(folder)) {
        if (!QDir().mkpath(folder))
            return Result::failure(u"its folder can't be created"_s);
        folders.insert(folder);
    }
    if (holdsAlready(path, bytes)) {
        qCDebug(lcExport) << "unchanged, left as it is:" << path;
        return Result::success();
    }
    WriteOptions options;
    options.sync = false; // one sync for the whole export
    options.followLink = false;
    WriteResult written = writeFileSafely(path, bytes, options);
    if (written)
        qCDebug(lcExport) << "written:" << path << bytes.size() << "bytes";
    else
        qCDebug(lcExport) << "not written:" << path << written.reason;
    return written;
}

// Whether the output folder is one of the folders of sources named: pages there would stand
// among the sources (and replace their index.html).
bool isASourceFolder(const QString& output, const QStringList& paths) {
    const QString folder = QFileInfo(output).canonicalFilePath();
    if (folder.isEmpty())
        return false;
    for (const QString& path : paths) {
        const QString source = QFileInfo(path).canonicalFilePath();
        if (QFileInfo(path).isDir() && isUnderRoots(folder, {source}) &&
            isUnderRoots(source, {folder}))
            return true;
    }
    return false;
}

// What the export will write: the page of each source of this run, then the index and the
// lists, and for HTML the search's script and index.
QList<ManifestEntry> plannedFiles(const Catalog& catalog, const SitePlan& plan,
                                  const QList<qsizetype>& pageSources,
                                  const QList<SourceFile>& sources, const QString& extension) {
    QList<ManifestEntry> planned;
    for (int file = 0; file < pageSources.size(); ++file) {
        if (pageSources[file] >= 0 && catalog.files()[file].shown > 0)
            planned.append({catalog.files()[file].page,
                            QFileInfo(sources[pageSources[file]].path).canonicalFilePath()});
    }
    for (const ListPage& page : plan.pages)
        planned.append({page.name + extension, QString()});
    if (extension == u".html"_s) {
        for (const QLatin1StringView name : {kStyleFileName, kScriptFileName, kSearchIndexName})
            planned.append({name, QString()});
    }
    return planned;
}

// The manifest that an export writes before its first page: the earlier entries and the
// files it is about to write, so that an export cut short still knows them as its own.
QList<ManifestEntry> withPlanned(const QList<ManifestEntry>& earlier,
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

// The name of the folder a root names, or of the folder that holds a file named; empty for the
// file system's root or a path that isn't there.
QString folderName(const QString& root) {
    const QFileInfo info(root);
    const QString path = info.isDir() ? info.canonicalFilePath() : info.canonicalPath();
    return QFileInfo(path).fileName();
}

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Before anything is written into the output folder: refuses (unless forced) when a file the
// export would replace isn't one Glossa wrote, then makes the folder and writes the manifest
// ahead of the pages. False, with the reasons given to fail, when nothing may be written.
bool startExport(const QDir& folder, const QList<ManifestEntry>& planned,
                 const QList<ManifestEntry>& earlier, bool force,
                 const std::function<void(const QString&)>& fail) {
    QStringList names;
    for (const ManifestEntry& entry : planned)
        names << entry.file;
    const QStringList foreign = force ? QStringList() : filesNotOurs(folder, names, earlier);
    for (const QString& name : foreign)
        fail(u"won't replace %1: Glossa didn't write it"_s.arg(native(folder.filePath(name))));
    if (!foreign.isEmpty()) {
        fail(u"nothing written to %1; -force replaces these files"_s.arg(native(folder.path())));
        return false;
    }
    if (!QDir().mkpath(folder.path())) {
        fail(u"can't create the folder %1"_s.arg(native(folder.path())));
        return false;
    }
    QSet<QString> folders;
    const QString path = folder.filePath(manifestName());
    if (const Result written =
            writePage(path, manifestBytes(withPlanned(earlier, planned)), folders);
        !written) {
        fail(u"can't write %1: %2"_s.arg(native(path), written.reason));
        return false;
    }
    return true;
}

// One run of the check and/or the export. The sources are read once, to check them and to learn
// every procedure; the pages are written in a second pass, when links to procedures of any file
// can be made; then come the index pages, the removal of the pages whose sources are gone, the
// manifest and the summary. Only one source is in memory at a time.
class DocumentationRun {
public:
    DocumentationRun(const QStringList& arguments, QString settingsPath, std::FILE* out,
                     std::FILE* err);
    int run();

private:
    // A source's procedures on their way into the catalog (and the spill), which a second thread
    // fills in the order of the sources while this one reads and parses the next ones. The
    // procedures come back to be freed here, where they were made.
    struct Catalogued {
        QString page;
        QString relativePath;
        QList<ProcedureReport> reports;
        SourceModules modules;
        bool spilled = false;
    };
    using Cataloguer = InOrder<Catalogued, QList<ProcedureReport>>;
    // A page built, with the procedures it was built from: they go back to be freed on this
    // thread, which made them. Memory freed on another thread takes a lock on this thread's
    // heap, and the two threads then wait for each other.
    struct Built {
        int file;
        QByteArray bytes;
        QList<ProcedureReport> reports;
    };
    using PageJob = std::pair<int, QList<ProcedureReport>>;

    bool findSources();
    void prepareExport();
    void addEarlierSources();

    void readSources();
    void readSource(qsizetype index, Cataloguer* cataloguer);
    void tally(const SourceFile& source, const QString& text, const QList<ProcedureReport>& reports,
               std::optional<SourceModules>& modules);
    void fix(const SourceFile& source, SourceText& text);
    bool mayTakePage(const SourceFile& source, const QString& page);
    FixHeld baselined(const SourceFile& source, const SourceText& text) const;
    QList<ProcedureReport> catalogue(Catalogued& job);
    static void handOver(Cataloguer& cataloguer, Catalogued job);
    void unreadable(const SourceFile& source, const QString& reason, bool text);
    QString findingsText(const SourceFile& source, const QList<Finding>& findings);
    QString findingText(const SourceFile& source, const Finding& finding,
                        const QString& fingerprint);
    void printFindings(const QString& lines);
    void printLinkFindings();

    bool writeExport();
    QList<int> writePages(const QSet<int>& round);
    std::optional<QList<ProcedureReport>> pageReports(int file, bool wanted);
    Built buildPage(PageJob& job) const;
    void writeBuilt(const Built& built, QList<int>& failedFiles);
    void remakeAfterFailures(const QList<int>& failedFiles);
    bool writeIndexPages();
    QByteArray buildListPage(int page, const QList<TopText>& texts) const;
    bool writeBuiltFile(const QString& relative, const QByteArray& bytes);
    void removeGonePages();
    void writeManifest();
    bool writeFile(const QString& relative, const QByteArray& bytes, const QString& sourcePath,
                   bool listed = true);
    QString sourcePathOf(int file) const;

    bool lookedFor(CheckRule rule) const;
    void finishBaseline();
    void printSummary(bool indexWritten);
    void printCount();
    void sayError(const QString& text);
    void fail(const QString& text);
    int finish(int code);

    const DocumentationOptions options_;
    const QString settingsPath_;
    std::FILE* err_;
    const bool sarifLog_;
    const bool gitlabLog_;
    // Findings need their keys: for a baseline, or fingerprints in the report.
    const bool keyed_;
    const QDir workFolder_; // fingerprints name sources relative to it
    const bool exporting_;
    // Broken links are known once every source is read: their findings come after the others.
    const bool linking_;
    const QString extension_;
    const QDir outFolder_;
    CheckedOutput output_;
    SarifLog sarif_;
    GitlabReport gitlab_;
    BaselineRun baseline_;
    const bool githubLog_;
    // GITHUB_STEP_SUMMARY: the job summary's file, which -format:github appends to.
    const QString summaryPath_;
    GithubReport github_;
    QString totals_;
    ProgressLine progress_;
    bool failed_ = false;

    SourceList sources_;
    qsizetype givenSources_ = 0; // the sources named come first, then an earlier export's
    // The roots given, under which an earlier export's pages may be removed.
    QStringList roots_;
    QList<ManifestEntry> earlierManifest_;
    // Sources that exist but can't be read: the check reports them, and their pages of an
    // earlier export stay.
    QSet<QString> unreadSources_;
    qint64 procedures_ = 0;
    qint64 documented_ = 0;
    qint64 findingCount_ = 0;
    LinkCheck links_;
    QList<qsizetype> linkSources_; // by the link check's source number

    PageStyle style_;
    // Pages by lower-case name (folders may ignore letter case), to refuse a second source
    // whose page would replace the first one's.
    QHash<QString, QString> pageOwners_;
    QSet<QString> namedSources_;
    Catalog catalog_;
    SitePlan plan_;
    QList<qsizetype> pageSources_; // by the catalog's file number; -1 for an earlier export's
    ReportSpill spill_;
    bool spilling_ = false;

    qint64 pagesWritten_ = 0;
    QList<ManifestEntry> manifest_;
    QSet<QString> written_;
    QSet<QString> failedPages_; // their old versions stay, still ours
    QSet<QString> folders_;
};

DocumentationRun::DocumentationRun(const QStringList& arguments, QString settingsPath,
                                   std::FILE* out, std::FILE* err)
    : options_(parseOptionsWithConfig(arguments)), settingsPath_(std::move(settingsPath)),
      err_(err), sarifLog_(options_.check && options_.checkFormat == CheckFormat::Sarif),
      gitlabLog_(options_.check && options_.checkFormat == CheckFormat::Gitlab),
      keyed_(sarifLog_ || gitlabLog_ || !options_.baseline.isEmpty() ||
             !options_.writeBaseline.isEmpty()),
      exporting_(!options_.exportFolder.isEmpty()),
      linking_(options_.check && options_.ruleOn(CheckRule::BrokenLink)),
      extension_(options_.markdown ? u".md"_s : u".html"_s), outFolder_(options_.exportFolder),
      output_(out), githubLog_(options_.check && options_.checkFormat == CheckFormat::Github),
      summaryPath_(githubLog_ ? qEnvironmentVariable("GITHUB_STEP_SUMMARY") : QString()),
      github_(githubBlobUrl(), !summaryPath_.isEmpty()), progress_(err) {
    sarif_.setHelpUri(options_.helpUri);
}

int DocumentationRun::run() {
    if (!options_.errors.isEmpty()) {
        for (const QString& error : options_.errors)
            sayError(error);
        return finish(2);
    }
    if (exporting_ && isASourceFolder(options_.exportFolder, options_.paths)) {
        sayError(u"won't export into %1: it holds the sources; name a folder of its own (one "
                 "inside it will do)"_s.arg(native(options_.exportFolder)));
        return finish(2);
    }
    if (const Result started =
            options_.check
                ? baseline_.start(options_.baseline, options_.writeBaseline, options_.force)
                : Result::success();
        !started) {
        sayError(started.reason);
        return finish(2);
    }
    if (!findSources())
        return finish(2);
    readSources();
    if (exporting_) {
        catalog_.finish();
        if (options_.publicOnly)
            catalog_.leaveOutPrivate();
        plan_ = planListPages(catalog_);
        style_.firstLetterPage = plan_.firstLetterPage;
    }
    const bool writing =
        exporting_ &&
        startExport(outFolder_,
                    plannedFiles(catalog_, plan_, pageSources_, sources_.files, extension_),
                    earlierManifest_, options_.force, [this](const QString& text) { fail(text); });
    if (writing && !writeExport())
        return finish(2);
    if (options_.check) {
        finishBaseline();
        printCount();
    }
    return finish(failed_                                                       ? 2
                  : options_.check && !baseline_.writing() && findingCount_ > 0 ? 1
                                                                                : 0);
}

// The sources named and, for an export, those of the earlier export beside them; false when
// there is none to read.
bool DocumentationRun::findSources() {
    sources_ = collectSources(options_.paths, options_.excludes);
    qCDebug(lcExport) << sources_.files.size() << "sources found in" << options_.paths
                      << "leaving out" << options_.excludes;
    progress_.start(sources_.files.size());
    for (const UnreadablePath& path : sources_.unreadable)
        fail(u"can't read %1: %2"_s.arg(path.displayPath, path.reason));
    for (const UnreadablePath& path : sources_.skipped)
        print(err_, u"glossa: skipped %1: %2\n"_s.arg(path.displayPath, path.reason));
    // A mistyped or empty folder must not pass as a clean check.
    if (sources_.files.isEmpty() && sources_.unreadable.isEmpty()) {
        fail(u"no sources (*.pb, *.pbi) in %1"_s.arg(native(options_.paths.join(u", "_s))));
        return false;
    }
    if (exporting_)
        prepareExport();
    for (const QString& path : options_.paths) {
        if (const QString root = QFileInfo(path).canonicalFilePath(); !root.isEmpty())
            roots_ << root;
    }
    givenSources_ = sources_.files.size();
    if (exporting_) {
        earlierManifest_ = readManifest(outFolder_);
        addEarlierSources();
    }
    return true;
}

void DocumentationRun::prepareExport() {
    keepFreedMemory();
    style_ = makePageStyle(options_.ideTheme, settingsPath_, options_.sourceUrl);
    style_.project =
        options_.title.isEmpty() ? folderName(options_.paths.value(0)) : options_.title;
    style_.version = options_.docVersion;
    style_.showStale = !options_.noStale;
    pageOwners_.insert((kIndexName + extension_).toLower(), QString());
    for (const SourceFile& source : sources_.files) {
        if (source.named)
            namedSources_.insert(QFileInfo(source.path).canonicalFilePath());
    }
    spilling_ = spill_.open();
}

// The sources of an earlier export in this format that lie outside the roots given: they are
// read too (not checked, their pages not rewritten), so that the index and the links still
// cover them.
void DocumentationRun::addEarlierSources() {
    for (const ManifestEntry& entry : earlierManifest_) {
        if (entry.source.isEmpty() || !entry.file.endsWith(extension_) ||
            isUnderRoots(entry.source, roots_) || !QFileInfo(entry.source).isFile())
            continue;
        SourceFile other;
        other.path = entry.source;
        other.displayPath = native(entry.source);
        other.relativePath = entry.file.chopped(extension_.size());
        sources_.files.append(other);
    }
}

void DocumentationRun::readSources() {
    // Only for an export: a check has nothing to hand over. The catalog and the spill are not
    // touched on this thread until the cataloguer is done.
    std::unique_ptr<Cataloguer> cataloguer;
    if (exporting_) {
        cataloguer = std::make_unique<Cataloguer>(
            [this](Catalogued& job) { return catalogue(job); }, CallerHelps::No);
    }
    qsizetype done = 0;
    for (qsizetype s = 0; s < sources_.files.size(); ++s) {
        progress_.show(++done);
        readSource(s, cataloguer.get());
    }
    printLinkFindings();
    while (cataloguer && cataloguer->pending())
        cataloguer->next();
    cataloguer.reset();
    progress_.clear();
}

void DocumentationRun::readSource(qsizetype index, Cataloguer* cataloguer) {
    const SourceFile& source = sources_.files[index];
    const bool given = index < givenSources_;
    SourceText text;
    const Result read = readSourceText(source.path, text);
    if (!read)
        qCDebug(lcFile) << "can't read" << source.path << read.reason;
    else
        qCDebug(lcFile) << (given ? "read" : "read an earlier page's source") << source.path;
    if (!read || !text.unreadable.isEmpty()) {
        if (given)
            unreadable(source, read ? text.unreadable : read.reason, !text.unreadable.isEmpty());
        return;
    }
    if (given && !options_.fixRules.isEmpty())
        fix(source, text);
    QList<ProcedureReport> reports = reportSource(text.text, text.context);
    const QString page = source.relativePath + extension_;
    if (!given) {
        // An earlier export's page: known, not written again.
        if (!reports.isEmpty() && !pageOwners_.contains(page.toLower())) {
            pageOwners_.insert(page.toLower(), source.displayPath);
            handOver(*cataloguer, {page, source.relativePath, std::move(reports),
                                   scanModules(text.text), false});
            pageSources_.append(-1);
        }
        return;
    }
    // Found once for the findings' keys, the link check and the catalog, when one needs them.
    std::optional<SourceModules> modules;
    tally(source, text.text, reports, modules);
    if (linking_) {
        if (!modules)
            modules = scanModules(text.text);
        links_.addSource(text.text, reports, *modules);
        linkSources_.append(index);
    }
    // A source without procedures gets no page.
    if (!exporting_ || reports.isEmpty() || !mayTakePage(source, page))
        return;
    pageOwners_.insert(page.toLower(), source.displayPath);
    handOver(*cataloguer, {page, source.relativePath, std::move(reports),
                           modules ? std::move(*modules) : scanModules(text.text), spilling_});
    pageSources_.append(index);
}

// Counts a named source's procedures and prints the check's findings.
// Keys name procedures with their modules: found (into modules) for a source with findings.
void DocumentationRun::tally(const SourceFile& source, const QString& text,
                             const QList<ProcedureReport>& reports,
                             std::optional<SourceModules>& modules) {
    procedures_ += reports.size();
    if (options_.check) {
        QList<Finding> findings;
        for (const ProcedureReport& report : reports) {
            if (options_.documentedOnly && !report.documented)
                continue;
            for (Finding& finding : checkProcedure(report)) {
                if (!options_.ruleOn(finding.rule))
                    continue;
                if (keyed_) {
                    if (!modules)
                        modules = scanModules(text);
                    finding.module = modules->moduleAt(report.header.startCharacter);
                }
                findings.append(finding);
            }
        }
        baseline_.sourceRead(source.path);
        printFindings(findingsText(source, findings));
    }
    for (const ProcedureReport& report : reports)
        documented_ += report.documented ? 1 : 0;
}

// "-fix": the source's fixes written (or printed as a diff with "-diff") and said as the check's
// lines with "fixed"; the text then checked is the fixed one.
void DocumentationRun::fix(const SourceFile& source, SourceText& text) {
    QList<CheckRule> rules;
    for (CheckRule rule : options_.fixRules) {
        if (options_.ruleOn(rule))
            rules << rule;
    }
    const FixedSource fixed =
        fixSource(text, rules, options_.documentedOnly, baselined(source, text));
    if (fixed.bytes.isEmpty())
        return;
    QString lines;
    if (options_.diff) {
        lines = unifiedDiff(QDir::fromNativeSeparators(source.displayPath), text.text, fixed.text);
    } else if (const WriteResult written = writeFileSafely(source.path, fixed.bytes); !written.ok) {
        fail(u"can't write %1: %2"_s.arg(source.displayPath, written.reason));
        return;
    }
    if (options_.checkFormat == CheckFormat::Lines) {
        for (const Finding& finding : fixed.fixed) {
            if (options_.ruleOn(finding.rule))
                lines += fixedLine(source.displayPath, finding);
        }
    }
    printFindings(lines);
    text.text = fixed.text;
    text.context.read = std::make_shared<const DecodedText>(fixed.bytes.sliced(text.bom ? 3 : 0),
                                                            text.context.DocEncoding);
}

// The findings of the source that the baseline in use holds, by procedure and rule: "-fix"
// leaves them alone. Nothing without a baseline.
FixHeld DocumentationRun::baselined(const SourceFile& source, const SourceText& text) const {
    if (!baseline_.active() || baseline_.writing())
        return {};
    const QList<ProcedureReport> reports = reportSource(text.text, text.context);
    const SourceModules modules = scanModules(text.text);
    QList<Finding> findings;
    QList<qsizetype> procedureOf;
    for (qsizetype i = 0; i < reports.size(); ++i) {
        if (options_.documentedOnly && !reports[i].documented)
            continue;
        for (Finding& finding : checkProcedure(reports[i])) {
            if (!options_.ruleOn(finding.rule))
                continue;
            finding.module = modules.moduleAt(reports[i].header.startCharacter);
            findings << finding;
            procedureOf << i;
        }
    }
    const QList<bool> held = baseline_.holds(source.path, findings);
    QSet<QPair<qsizetype, int>> set;
    for (qsizetype i = 0; i < findings.size(); ++i) {
        if (held[i])
            set.insert({procedureOf[i], int(findings[i].rule)});
    }
    return [set](qsizetype procedure, CheckRule rule) {
        return set.contains({procedure, int(rule)});
    };
}

// Whether the source's page may be written: false, said, when another source or the index
// has its name, when it would be written through a link or over a source.
bool DocumentationRun::mayTakePage(const SourceFile& source, const QString& page) {
    if (const auto owner = pageOwners_.constFind(page.toLower()); owner != pageOwners_.constEnd()) {
        fail(u"%1 not exported: its page %2 is taken by %3"_s.arg(
            source.displayPath, page, owner->isEmpty() ? u"the index"_s : *owner));
        return false;
    }
    if (const QString link = linkedFolderOnTheWay(outFolder_, page); !link.isEmpty()) {
        fail(u"%1 not exported: the folder %2 is a link, and pages are not written through "
             "links"_s.arg(source.displayPath, native(link)));
        return false;
    }
    if (const QString existing = namedSources_.isEmpty()
                                     ? QString()
                                     : QFileInfo(outFolder_.filePath(page)).canonicalFilePath();
        !existing.isEmpty() && namedSources_.contains(existing)) {
        fail(u"%1 not exported: its page would replace a source"_s.arg(source.displayPath));
        return false;
    }
    return true;
}

// On the cataloguer's thread.
QList<ProcedureReport> DocumentationRun::catalogue(Catalogued& job) {
    catalog_.addFile(job.page, job.relativePath, job.reports, job.modules);
    if (job.spilled)
        spill_.save(job.reports);
    return std::move(job.reports);
}

void DocumentationRun::handOver(Cataloguer& cataloguer, Catalogued job) {
    cataloguer.add(std::move(job));
    if (cataloguer.full())
        cataloguer.next();
}

void DocumentationRun::unreadable(const SourceFile& source, const QString& reason, bool text) {
    unreadSources_.insert(QFileInfo(source.path).canonicalFilePath());
    if (!text || !options_.check) {
        fail(u"can't read %1: %2"_s.arg(source.displayPath, reason));
        return;
    }
    printFindings(findingsText(
        source,
        {{{1, 1}, CheckRule::UnreadableSource, QString(), u"can't read the source: "_s + reason}}));
}

// Counts a source's findings (in source order) and gives their lines, or adds them to the
// report. Those that the baseline holds (or that a baseline being written takes) are left out.
QString DocumentationRun::findingsText(const SourceFile& source, const QList<Finding>& findings) {
    const QList<bool> left =
        baseline_.active() ? baseline_.take(source.path, findings) : QList<bool>();
    const QList<FindingKey> keys = sarifLog_ || gitlabLog_
                                       ? findingKeys(keyPath(workFolder_, source.path), findings)
                                       : QList<FindingKey>();
    QString lines;
    for (qsizetype i = 0; i < findings.size(); ++i) {
        if (!left.isEmpty() && left[i])
            findingCount_ += baseline_.writing() ? 1 : 0;
        else
            lines += findingText(source, findings[i],
                                 keys.isEmpty() ? QString() : keys[i].fingerprint());
    }
    return lines;
}

// Counts a finding and gives its line, or adds it to the report on standard output.
QString DocumentationRun::findingText(const SourceFile& source, const Finding& finding,
                                      const QString& fingerprint) {
    ++findingCount_;
    if (isErrorRule(finding.rule))
        failed_ = true;
    if (options_.checkFormat == CheckFormat::Sarif)
        sarif_.add(source.path, finding, fingerprint);
    else if (options_.checkFormat == CheckFormat::Gitlab)
        gitlab_.add(source.displayPath, finding, fingerprint);
    else if (options_.checkFormat == CheckFormat::Github)
        return github_.add(source.displayPath, source.path, finding);
    else if (options_.checkFormat == CheckFormat::Lines)
        return findingLine(source.displayPath, finding);
    return QString();
}

void DocumentationRun::printLinkFindings() {
    if (!linking_)
        return;
    QString lines;
    for (int n = 0; n < linkSources_.size(); ++n)
        lines += findingsText(sources_.files[linkSources_[n]], links_.findings(n));
    printFindings(lines);
}

void DocumentationRun::printFindings(const QString& lines) {
    if (lines.isEmpty())
        return;
    progress_.clear();
    output_.writeText(lines);
    output_.flush();
}

// Writes the pages, the index pages and the manifest, and removes the pages of gone sources;
// false when the procedures kept for the pages can't be read back, and nothing is written.
bool DocumentationRun::writeExport() {
    if (spilling_ && !spill_.rewind()) {
        fail(u"can't keep the procedures in %1: %2"_s.arg(native(spill_.fileName()),
                                                          spill_.errorString()));
        return false;
    }
    remakeAfterFailures(writePages({}));
    // Gone before the sync, which would otherwise flush it to the disk with the pages.
    spill_.remove();
    progress_.clear();
    const bool indexWritten = writeIndexPages();
    removeGonePages();
    writeManifest();
    printSummary(indexWritten);
    return true;
}

// Pages are built on a second thread while this one reads what they need and writes them, in
// order. The catalog stays as it is meanwhile: the pages whose writing failed are marked
// afterwards. Written are the pages of the files in round (all when empty); the files whose
// page failed are returned.
QList<int> DocumentationRun::writePages(const QSet<int>& round) {
    QList<int> failedFiles;
    // Pages only read the catalog and the style: this thread builds some of them too when it
    // would otherwise wait.
    InOrder<PageJob, Built> builder([this](PageJob& job) { return buildPage(job); },
                                    CallerHelps::Yes);
    qsizetype done = 0;
    for (int file = 0; file < pageSources_.size(); ++file) {
        if (pageSources_[file] < 0)
            continue;
        const bool wanted =
            (round.isEmpty() || round.contains(file)) && catalog_.files()[file].shown > 0;
        if (wanted)
            progress_.show(++done);
        std::optional<QList<ProcedureReport>> reports = pageReports(file, wanted);
        if (!wanted || !reports)
            continue;
        builder.add({file, std::move(*reports)});
        if (builder.full())
            writeBuilt(builder.next(), failedFiles);
    }
    while (builder.pending())
        writeBuilt(builder.next(), failedFiles);
    return failedFiles;
}

// A file's procedures: the next ones kept in the spill (every file's are taken in turn), or its
// source read again when it is wanted; nothing, said, when it can't be.
std::optional<QList<ProcedureReport>> DocumentationRun::pageReports(int file, bool wanted) {
    if (spilling_)
        return spill_.load();
    if (!wanted)
        return QList<ProcedureReport>();
    const SourceFile& source = sources_.files[pageSources_[file]];
    SourceText text;
    if (const Result read = readSourceText(source.path, text); !read) {
        fail(u"can't read %1: %2"_s.arg(source.displayPath, read.reason));
        return std::nullopt;
    }
    return reportSource(text.text, text.context);
}

// On either thread.
DocumentationRun::Built DocumentationRun::buildPage(PageJob& job) const {
    auto& [file, reports] = job;
    QByteArray bytes = (options_.markdown ? buildMarkdownPage(reports, catalog_, file, style_)
                                          : buildHtmlPage(reports, catalog_, file, style_))
                           .toUtf8();
    return Built{file, std::move(bytes), std::move(reports)};
}

void DocumentationRun::writeBuilt(const Built& built, QList<int>& failedFiles) {
    const QString& page = catalog_.files()[built.file].page;
    const bool again = written_.contains(page);
    if (writeFile(page, built.bytes, sourcePathOf(built.file), !again))
        pagesWritten_ += again ? 0 : 1;
    else
        failedFiles.append(built.file);
}

// A page that failed must not stay linked from the pages written before it: those are made
// again without its links (the ones that come out the same are left alone). One that fails now
// keeps its first version, which is still there to link to.
void DocumentationRun::remakeAfterFailures(const QList<int>& failedFiles) {
    if (failedFiles.isEmpty())
        return;
    qCDebug(lcExport) << failedFiles.size()
                      << "pages not written; the pages that link to them are made again";
    for (const int file : failedFiles)
        catalog_.markMissing(file);
    QSet<int> round;
    for (int file = 0; file < pageSources_.size(); ++file) {
        if (pageSources_[file] >= 0 && !catalog_.files()[file].missing &&
            written_.contains(catalog_.files()[file].page))
            round.insert(file);
    }
    if (!round.isEmpty() && (!spilling_ || spill_.restart()))
        writePages(round);
}

// Whether the index, the lists, and for HTML the style, the script and the search's index were
// all written.
bool DocumentationRun::writeIndexPages() {
    bool indexWritten = true;
    const QList<TopText> texts = options_.markdown ? QList<TopText>() : topTexts(catalog_);
    for (int page = 0; page < plan_.pages.size(); ++page) {
        indexWritten =
            writeBuiltFile(plan_.pages[page].name + extension_, buildListPage(page, texts)) &&
            indexWritten;
    }
    if (options_.markdown)
        return indexWritten;
    QByteArray index;
    QBuffer buffer(&index);
    buffer.open(QIODevice::WriteOnly);
    if (!writeSearchIndex(catalog_, buffer))
        index.clear();
    const bool style = writeBuiltFile(kStyleFileName, styleFile(style_));
    const bool script = writeBuiltFile(kScriptFileName, searchScript());
    return writeBuiltFile(kSearchIndexName, index) && script && style && indexWritten;
}

// Writes a file built for the top of the export; empty bytes say it could not be built.
bool DocumentationRun::writeBuiltFile(const QString& relative, const QByteArray& bytes) {
    if (!bytes.isEmpty())
        return writeFile(relative, bytes, QString());
    failedPages_.insert(relative);
    fail(u"can't write %1: the page could not be built"_s.arg(
        native(outFolder_.filePath(relative))));
    return false;
}

// A page of the plan; empty when it can't be built.
QByteArray DocumentationRun::buildListPage(int page, const QList<TopText>& texts) const {
    // Room for a line of each entry, so that the page grows in few steps.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bytes.reserve(plan_.pages[page].entries.size() * 256 + qsizetype{16} * 1024);
    const bool built = options_.markdown
                           ? writeMarkdownListPage(plan_, page, catalog_, style_.showStale, buffer)
                           : writeHtmlListPage(plan_, page, catalog_, style_, texts, buffer);
    return built ? bytes : QByteArray();
}

// Pages of an earlier export in this format that this one didn't write: those of sources that,
// under the roots given now, are gone (or have no procedures any more), and lists that no
// longer exist (a module or a letter gone, a list no longer split). The page of a source that
// is there but couldn't be read stays, and so does a page whose writing failed.
void DocumentationRun::removeGonePages() {
    for (const ManifestEntry& entry : earlierManifest_) {
        if (written_.contains(entry.file))
            continue;
        const bool list = entry.source.isEmpty();
        if (!entry.file.endsWith(extension_) || failedPages_.contains(entry.file) ||
            (!list &&
             (!isUnderRoots(entry.source, roots_) || unreadSources_.contains(entry.source)))) {
            manifest_.append(entry);
        } else if (const Result removed = removeOwnFile(outFolder_, entry.file); !removed) {
            print(err_, u"glossa: left %1 in place: %2\n"_s.arg(
                            native(outFolder_.filePath(entry.file)), removed.reason));
        } else {
            qCDebug(lcExport) << "removed" << entry.file << "of"
                              << (list ? u"a list no longer made"_s : entry.source);
            removeEmptyFoldersOf(outFolder_, entry.file);
        }
    }
}

// The manifest of what the output folder now holds, then everything flushed to the disk.
void DocumentationRun::writeManifest() {
    const QString path = outFolder_.filePath(manifestName());
    if (const Result written = writePage(path, manifestBytes(manifest_), folders_); !written)
        fail(u"can't write %1: %2"_s.arg(native(path), written.reason));
    if (const WriteResult synced = syncFolder(options_.exportFolder); !synced.ok)
        fail(u"can't flush the pages in %1 to the disk: %2"_s.arg(native(options_.exportFolder),
                                                                  synced.reason));
}

bool DocumentationRun::writeFile(const QString& relative, const QByteArray& bytes,
                                 const QString& sourcePath, bool listed) {
    const QString target = outFolder_.filePath(relative);
    if (const Result written = writePage(target, bytes, folders_); !written) {
        failedPages_.insert(relative);
        fail(u"can't write %1: %2"_s.arg(native(target), written.reason));
        return false;
    }
    if (listed)
        manifest_.append({relative, sourcePath});
    written_.insert(relative);
    return true;
}

// The source of a catalog file that has a page in this run.
QString DocumentationRun::sourcePathOf(int file) const {
    return QFileInfo(sources_.files[pageSources_[file]].path).canonicalFilePath();
}

// The export's closing line; a check closes with its count instead.
void DocumentationRun::printSummary(bool indexWritten) {
    if (options_.check)
        return;
    output_.writeText(u"%1 %2 %3 written to %4\n"_s.arg(pagesWritten_)
                          .arg(pagesWritten_ == 1 ? u"page"_s : u"pages"_s,
                               indexWritten ? u"and the index"_s : u"(not the index)"_s,
                               native(options_.exportFolder)));
}

// Whether the check looked for the rule's findings: a baseline entry of a rule it didn't look
// for is not stale.
bool DocumentationRun::lookedFor(CheckRule rule) const {
    const bool aboutTheBlock = rule == CheckRule::MissingComment ||
                               rule == CheckRule::DetachedComment ||
                               rule == CheckRule::UnclosedComment;
    return options_.ruleOn(rule) && !(options_.documentedOnly && aboutTheBlock);
}

// Names the stale entries of the baseline in use (never a failure), or writes the new one
// unless the check ended in an error, which leaves the findings of a tree incomplete.
void DocumentationRun::finishBaseline() {
    if (!baseline_.active())
        return;
    const QString shown = native(baseline_.file());
    if (baseline_.writing()) {
        if (failed_)
            print(err_,
                  u"glossa: the baseline %1 was not written: the check ended in an error\n"_s.arg(
                      shown));
        else if (const Result written = baseline_.write(); !written)
            fail(u"can't write the baseline %1: %2"_s.arg(shown, written.reason));
        return;
    }
    for (const StaleEntry& entry :
         baseline_.stale([this](CheckRule rule) { return lookedFor(rule); })) {
        const QString text = u"no finding for this entry any more: %1"_s.arg(entry.key.text());
        print(err_, u"%1:%2: note: %3 [stale-baseline]\n"_s.arg(shown, QString::number(entry.line),
                                                                text));
        if (sarifLog_)
            sarif_.addNote(u"stale-baseline"_s, text, baseline_.file(), entry.line);
    }
}

void DocumentationRun::printCount() {
    QString count = u"%1 procedures, %2 documented, %3 %4"_s.arg(procedures_)
                        .arg(documented_)
                        .arg(findingCount_)
                        .arg(findingCount_ == 1 ? u"finding"_s : u"findings"_s);
    if (baseline_.active() && !baseline_.writing())
        count += u" (%1 in the baseline)"_s.arg(baseline_.taken());
    if (sarif_.leftOut() > 0)
        count += u", %1 left out of the SARIF log (code scanning takes %2)"_s.arg(sarif_.leftOut())
                     .arg(QLocale(QLocale::English).toString(SarifLog::kMaxResults));
    count += u'\n';
    totals_ = count;
    if (baseline_.writing() && !failed_)
        count += u"baseline written to %1\n"_s.arg(native(baseline_.file()));
    if (githubLog_)
        output_.writeText(github_.closing());
    if (sarifLog_ || gitlabLog_)
        print(err_, count);
    else
        output_.writeText(count);
}

void DocumentationRun::sayError(const QString& text) {
    print(err_, u"glossa: "_s + text + u'\n');
    if (sarifLog_)
        sarif_.addError(text);
    if (githubLog_)
        output_.writeText(github_.errorLine(text));
}

void DocumentationRun::fail(const QString& text) {
    progress_.clear();
    sayError(text);
    failed_ = true;
}

// Every run ends here. A SARIF log is written after an error too: it names the error, so that
// code scanning never takes the run for a clean analysis.
int DocumentationRun::finish(int code) {
    if (sarifLog_)
        output_.write(sarif_.toJson());
    // A report of a run that failed would look complete: GitLab gets none.
    if (gitlabLog_ && code != 2)
        output_.write(gitlab_.toJson());
    // GitHub's file: a summary that can't be added costs the job nothing else.
    if (!summaryPath_.isEmpty()) {
        if (const Result added = appendToFile(summaryPath_, github_.summary(totals_).toUtf8());
            !added)
            print(err_, u"glossa: warning: the job summary was not added to %1: %2\n"_s.arg(
                            native(summaryPath_), added.reason));
    }
    output_.finish();
    return output_.exitCode(code, err_);
}

} // namespace

int runDocumentation(const QStringList& arguments, const QString& settingsPath, std::FILE* out,
                     std::FILE* err) {
    return DocumentationRun(arguments, settingsPath, out, err).run();
}

} // namespace glossa
