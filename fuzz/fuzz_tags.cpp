// SPDX-License-Identifier: MIT
// Any tagged text through the tag reader on a document; the tags written back are balanced on
// every line, and a field without typed markup survives the round trip with the same text and
// the same effects on every character.
#include "richtext/effects.h"
#include "richtext/tagconversion.h"

#include <cstdint>
#include <cstdlib>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <vector>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

struct Character {
    QChar c;
    Effects effects;
    bool operator==(const Character&) const = default;
};

std::vector<Character> characters(const QTextDocument& doc) {
    std::vector<Character> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            out.push_back({u'\n', 0});
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const Effects e = effectsFromFormat(f.charFormat()) & kEffectMask;
            for (QChar c : f.text())
                out.push_back({c, e});
        }
    }
    return out;
}

void checkBalancedLines(const QString& tagged) {
    if (tagged.contains(u'\r') || tagged.contains(u'\n'))
        std::abort();
    static const char* names[] = {"b", "i", "u", "s", "sub", "sup"};
    for (const QString& line : tagged.split(u"<br>"_s)) {
        for (const char* name : names) {
            const QString n = QString::fromLatin1(name);
            if (line.count(u'<' + n + u'>') != line.count(u"</"_s + n + u'>'))
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString tagged = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument doc;
    tagsToDocument(&doc, tagged);
    const QString written = documentToTags(&doc);
    if (written.contains(u'\r') || written.contains(u'\n'))
        std::abort();

    // Typed "<" can form tag-like text next to real tags; only text without it reads back as
    // itself and can be checked tag by tag.
    if (doc.toPlainText().contains(u'<'))
        return 0;
    checkBalancedLines(written);
    QTextDocument again;
    tagsToDocument(&again, written);
    if (characters(again) != characters(doc))
        std::abort();
    if (documentToTags(&again) != written)
        std::abort();
    return 0;
}
