#pragma once

#include "doc/sourcereport.h"
#include "preview/previewpage.h"

#include <QIODevice>
#include <QList>
#include <QString>

namespace glossa {

// How the exported HTML pages look: the preview's prepared page (colours, font size, labels).
struct PageTheme {
    PreparedPreviewPage prepared;
};

// The preview's colours from the other tool's settings file when it exists, otherwise a
// light theme that prints well.
PageTheme LoadPageTheme(const QString& settingsPath);
// The light theme alone.
PageTheme LightPageTheme();

// The pages written and their documented procedures, for the index. Kept small, since it
// grows with the whole tree: the names share one text.
class DocumentIndex {
public:
    struct Entry {
        qsizetype nameStart = 0;
        int nameLength = 0;
        int page = 0;
        int anchorNumber = 0; // 0: the anchor is the name itself, n: name-n
    };

    // A page (relative path in the output folder, "/" separators) and the source it shows.
    int AddPage(const QString& page, const QString& source);
    void AddEntry(int page, QStringView name, int anchorNumber);
    // Where the entries end, to drop those of a page that could not be written.
    qsizetype Mark() const { return entries_.size(); }
    void DropFrom(qsizetype mark);
    void DropLastPage() {
        pages_.removeLast();
        sources_.removeLast();
    }
    // Entries by name (letter case ignored, then as written), then by page and position.
    void Sort();

    const QList<Entry>& Entries() const { return entries_; }
    QStringView Name(const Entry& entry) const {
        return QStringView(names_).sliced(entry.nameStart, entry.nameLength);
    }
    int PageCount() const { return int(pages_.size()); }
    const QString& Page(int page) const { return pages_[page]; }
    const QString& Source(int page) const { return sources_[page]; }

private:
    QString names_;
    QList<Entry> entries_;
    QStringList pages_;
    QStringList sources_;
};

// One source's page: each procedure in source order, under its anchor. Documented entries show
// what the preview shows; the others their header only. Each documented procedure goes into
// the index under the page.
QString BuildHtmlPage(const QList<ProcedureReport>& procedures, const PageTheme& theme,
                      DocumentIndex& index, int page);
QString BuildMarkdownPage(const QList<ProcedureReport>& procedures, const PageTheme& theme,
                          DocumentIndex& index, int page);

// The index, written piece by piece: every entry (sorted first) with its source and a link to
// its entry, then a link to every page. False when the device refuses a write.
bool WriteHtmlIndex(DocumentIndex& index, const PageTheme& theme, QIODevice& device);
bool WriteMarkdownIndex(DocumentIndex& index, QIODevice& device);

// Tagged text as Markdown: bold, italic and strike-through as Markdown, underline, super- and
// subscript as inline HTML, "<br>" as a line break, links as links, everything else escaped.
QString TagsToMarkdown(const QString& tagged);

} // namespace glossa
