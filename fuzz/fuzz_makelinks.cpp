// SPDX-License-Identifier: MIT
// Any field text through MakeLinks and the preview body: no anchor inside an anchor, every href
// quoted and unbroken, and removing the anchors gives back the text.
#include "preview/previewpage.h"

#include <cstdint>
#include <cstdlib>
#include <QRegularExpression>
#include <QStringList>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

// Checks every anchor MakeLinks wrote and returns the text with the anchors replaced by their
// visible text.
QString checkAndStripAnchors(const QString& html) {
    static const QRegularExpression anchor(u"<a href='([^']*)'>(.*?)</a>"_s,
                                           QRegularExpression::DotMatchesEverythingOption);
    QString stripped;
    qsizetype from = 0;
    auto it = anchor.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString href = m.captured(1);
        const QString shown = m.captured(2);
        if (shown.contains(u"<a "_s) || shown.isEmpty())
            std::abort(); // an anchor inside an anchor, or an empty one
        for (QChar c : href) {
            if (c.isSpace() || c == u'<' || c == u'>' || c == u'"' || c == u'\'')
                std::abort(); // the address could break out of its quotes
        }
        if (href.startsWith(u"http"_s, Qt::CaseInsensitive) && href != shown &&
            !href.startsWith(internalLinkPrefix()))
            std::abort();
        stripped += QStringView(html).sliced(from, m.capturedStart() - from);
        stripped += shown;
        from = m.capturedEnd();
    }
    stripped += QStringView(html).sliced(from);
    return stripped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    // Typed anchors are the user's own markup (nothing is escaped); they'd blur the check.
    if (text.contains(u"<a"_s, Qt::CaseInsensitive) || text.contains(u"</a"_s, Qt::CaseInsensitive))
        return 0;

    const QString linked = MakeLinks(text);
    if (checkAndStripAnchors(linked) != text)
        std::abort();

    PreviewFields fields;
    const QStringList parts = text.split(QChar(1));
    fields.procedureText = parts.value(0);
    fields.summary = parts.value(1);
    fields.parameterDescriptions = parts.mid(4);
    fields.result = parts.value(2);
    fields.example = parts.value(3);
    const PreviewBody body = buildPreviewBody(fields, u"Result"_s, u"Example"_s);
    checkAndStripAnchors(body.body);
    if (!body.body.startsWith(u"<div class='info'>"_s) || !body.body.endsWith(u"</div>"_s))
        std::abort();
    return 0;
}
