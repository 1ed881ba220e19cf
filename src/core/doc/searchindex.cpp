// SPDX-License-Identifier: MIT
#include "doc/searchindex.h"

#include "doc/doclinks.h"

#include <QFile>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

// The script lives in a static library, so its resource is registered by name.
static void initExportResource() {
    Q_INIT_RESOURCE(exportfiles);
}

namespace glossa {

namespace {

// text as a JavaScript string literal.
void appendString(QString& out, QStringView text) {
    out += u'"';
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c.unicode() < 0x20 || c == QChar(0x2028) || c == QChar(0x2029))
            out += u"\\u%1"_s.arg(int(c.unicode()), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    out += u'"';
}

QList<int> searchOrder(const Catalog& catalog) {
    const QList<Catalog::Procedure>& all = catalog.procedures();
    QList<int> order(all.size());
    std::iota(order.begin(), order.end(), 0);
    QList<QString> names(all.size());
    for (int i = 0; i < all.size(); ++i)
        names[i] = all[i].name.toCaseFolded();
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (names[a].size() != names[b].size())
            return names[a].size() < names[b].size();
        if (const int c = names[a].compare(names[b]); c != 0)
            return c < 0;
        return all[a].module.compare(all[b].module, Qt::CaseInsensitive) < 0;
    });
    return order;
}

} // namespace

QString firstSentence(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if ((c == u'.' || c == u'!' || c == u'?') && (i + 1 == text.size() || text[i + 1] == u' '))
            return text.left(i + 1);
    }
    return text;
}

bool writeSearchIndex(const Catalog& catalog, QIODevice& device) {
    constexpr qsizetype kChunk = qsizetype{64} * 1024;
    bool written = true;
    QString out = u"window.glossaIndex={\"pages\":["_s;
    auto flush = [&](bool always) {
        if (!always && out.size() < kChunk)
            return;
        const QByteArray bytes = out.toUtf8();
        written = written && device.write(bytes) == bytes.size();
        out.clear();
    };
    QList<int> pageNumbers(catalog.files().size(), -1);
    int pages = 0;
    for (int f = 0; f < catalog.files().size(); ++f) {
        const Catalog::File& file = catalog.files()[f];
        if (file.missing || file.shown == 0)
            continue;
        if (pages > 0)
            out += u',';
        appendString(out, pageLink(u"index.html"_s, file.page));
        pageNumbers[f] = pages++;
        flush(false);
    }
    out += u"],\"procedures\":["_s;
    bool first = true;
    for (const int i : searchOrder(catalog)) {
        const Catalog::Procedure& p = catalog.procedures()[i];
        if (pageNumbers[p.file] < 0 || p.leftOut)
            continue;
        out += first ? u"["_s : u",\n["_s;
        first = false;
        appendString(out, p.name);
        out += u',';
        appendString(out, p.module);
        out += u',' + QString::number(pageNumbers[p.file]) + u',';
        const QString usual = p.module.isEmpty() ? p.name : p.module + u"::"_s + p.name;
        appendString(out, p.anchor == usual ? QString() : p.anchor);
        out += u',';
        appendString(out,
                     hasPlainText(p.summary) ? firstSentence(plainText(p.summary)) : QString());
        out += u']';
        flush(false);
    }
    out += u"]};\n"_s;
    flush(true);
    return written;
}

QByteArray searchScript() {
    initExportResource();
    QFile file(u":/export/glossa.js"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace glossa
