#include "doc/docrun.h"

#include "doc/checkreport.h"
#include "doc/docpages.h"
#include "doc/sourcereport.h"
#include "doc/sourcetree.h"
#include "files/safewrite.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSet>

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

// A generated page replaces its old version whole, or the link that stood in its place.
bool WritePage(const QString& path, const QByteArray& bytes, QString* reason) {
    if (!QDir().mkpath(QFileInfo(path).path())) {
        *reason = u"its folder can't be created"_s;
        return false;
    }
    WriteOptions options;
    options.sync = false; // one sync for the whole export
    options.followLink = false;
    const WriteResult written = WriteFileSafely(path, bytes, options);
    *reason = written.reason;
    return written.ok;
}

} // namespace

int RunDocumentation(const QStringList& arguments, const QString& settingsPath, std::FILE* out,
                     std::FILE* err) {
    const DocumentationOptions options = ParseDocumentationOptions(arguments);
    if (!options.errors.isEmpty()) {
        for (const QString& error : options.errors)
            Print(err, u"glossa: "_s + error + u'\n');
        return 2;
    }
    const SourceList sources = CollectSources(options.paths, options.excludes);
    ProgressLine progress(err, sources.files.size());
    bool failed = false;
    auto fail = [&](const QString& text) {
        progress.Clear();
        Print(err, u"glossa: "_s + text + u'\n');
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
        return 2;
    }

    const bool exporting = !options.exportFolder.isEmpty();
    const QString extension = options.markdown ? u".md"_s : u".html"_s;
    const QDir outFolder(options.exportFolder);
    PageTheme theme;
    // Pages by lower-case name (folders may ignore letter case), to refuse a second source
    // whose page would replace the first one's.
    QHash<QString, QString> pageOwners;
    QSet<QString> namedSources;
    if (exporting) {
        if (!QDir().mkpath(options.exportFolder)) {
            fail(u"can't create the folder %1"_s.arg(
                QDir::toNativeSeparators(options.exportFolder)));
            return 2;
        }
        // Markdown takes the labels' language from it too.
        theme = LoadPageTheme(settingsPath);
        pageOwners.insert((u"index"_s + extension).toLower(), QString());
        for (const SourceFile& source : sources.files) {
            if (source.named)
                namedSources.insert(QFileInfo(source.path).canonicalFilePath());
        }
    }
    SarifLog sarif;
    qint64 procedures = 0;
    qint64 documented = 0;
    qint64 findingCount = 0;
    qint64 pagesWritten = 0;
    DocumentIndex index;
    qsizetype done = 0;
    for (const SourceFile& source : sources.files) {
        progress.Show(++done);
        SourceText text;
        QString reason;
        if (!ReadSourceText(source.path, text, &reason)) {
            fail(u"can't read %1: %2"_s.arg(source.displayPath, reason));
            continue;
        }
        const QList<ProcedureReport> reports = ReportSource(text.text, text.context);
        text = SourceText(); // one source in memory at a time
        procedures += reports.size();
        if (options.check) {
            QString lines;
            for (const ProcedureReport& report : reports) {
                if (options.documentedOnly && !report.documented)
                    continue;
                for (const Finding& finding : CheckProcedure(report)) {
                    if (!options.RuleOn(finding.rule))
                        continue;
                    ++findingCount;
                    if (options.checkFormat == CheckFormat::Sarif)
                        sarif.Add(source.path, finding);
                    else if (options.checkFormat == CheckFormat::Github)
                        lines += GithubCommand(source.displayPath, finding);
                    else
                        lines += FindingLine(source.displayPath, finding);
                }
            }
            if (!lines.isEmpty()) {
                progress.Clear();
                Print(out, lines);
                std::fflush(out);
            }
        }
        for (const ProcedureReport& report : reports)
            documented += report.documented ? 1 : 0;
        if (!exporting)
            continue;

        const QString page = source.relativePath + extension;
        const QString key = page.toLower();
        if (const auto owner = pageOwners.constFind(key); owner != pageOwners.constEnd()) {
            fail(u"%1 not exported: its page %2 is taken by %3"_s.arg(
                source.displayPath, page, owner->isEmpty() ? u"the index"_s : *owner));
            continue;
        }
        const QString target = outFolder.filePath(page);
        if (const QString link = LinkedFolderOnTheWay(outFolder, page); !link.isEmpty()) {
            fail(u"%1 not exported: the folder %2 is a link, and pages are not written through "
                 "links"_s.arg(source.displayPath, QDir::toNativeSeparators(link)));
            continue;
        }
        if (const QString existing = QFileInfo(target).canonicalFilePath();
            !existing.isEmpty() && namedSources.contains(existing)) {
            fail(u"%1 not exported: its page would replace a source"_s.arg(source.displayPath));
            continue;
        }
        pageOwners.insert(key, source.displayPath);
        const int pageNumber = index.AddPage(page, source.relativePath);
        const qsizetype mark = index.Mark();
        const QString content = options.markdown
                                    ? BuildMarkdownPage(reports, theme, index, pageNumber)
                                    : BuildHtmlPage(reports, theme, index, pageNumber);
        if (!WritePage(target, content.toUtf8(), &reason)) {
            // The index doesn't link to a page that isn't there.
            index.DropFrom(mark);
            index.DropLastPage();
            fail(u"can't write %1: %2"_s.arg(QDir::toNativeSeparators(target), reason));
            continue;
        }
        ++pagesWritten;
    }
    progress.Clear();

    if (exporting) {
        const QString indexPath = outFolder.filePath(u"index"_s + extension);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QString reason;
        bool indexWritten = false;
        if (!(options.markdown ? WriteMarkdownIndex(index, buffer)
                               : WriteHtmlIndex(index, theme, buffer)))
            fail(u"can't write %1: the index could not be built"_s.arg(
                QDir::toNativeSeparators(indexPath)));
        else if (!(indexWritten = WritePage(indexPath, buffer.data(), &reason)))
            fail(u"can't write %1: %2"_s.arg(QDir::toNativeSeparators(indexPath), reason));
        if (const WriteResult synced = SyncFolder(options.exportFolder); !synced.ok)
            fail(u"can't flush the pages in %1 to the disk: %2"_s.arg(
                QDir::toNativeSeparators(options.exportFolder), synced.reason));
        if (!options.check)
            Print(out, u"%1 %2 %3 written to %4\n"_s.arg(pagesWritten)
                           .arg(pagesWritten == 1 ? u"page"_s : u"pages"_s,
                                indexWritten ? u"and the index"_s : u"(not the index)"_s,
                                QDir::toNativeSeparators(options.exportFolder)));
    }
    if (options.check) {
        const QString count = u"%1 procedures, %2 documented, %3 findings\n"_s.arg(procedures)
                                  .arg(documented)
                                  .arg(findingCount);
        if (options.checkFormat == CheckFormat::Sarif) {
            const QByteArray log = sarif.ToJson();
            std::fwrite(log.constData(), 1, std::size_t(log.size()), out);
            Print(err, count);
        } else {
            Print(out, count);
        }
    }
    std::fflush(out);
    if (failed)
        return 2;
    return options.check && findingCount > 0 ? 1 : 0;
}

} // namespace glossa
