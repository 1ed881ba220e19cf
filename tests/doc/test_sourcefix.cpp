// SPDX-License-Identifier: MIT
// -fix on generated sources: it never takes away a comment's text, and fixes once for good.
#include "doc/sourcefix.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTest>

#include <memory>

using namespace glossa;
using namespace Qt::StringLiterals;

namespace {

SourceText sourceOf(const QByteArray& bytes) {
    SourceText source;
    source.context.LineEnd = u"\n"_s;
    source.context.read = std::make_shared<const DecodedText>(bytes, DocEncoding::Utf8);
    source.text = source.context.read->text();
    return source;
}

// How often each character stands in the comment lines, blanks and ";" left out (a plain
// comment's lines become one summary line).
QHash<QChar, int> commentCharacters(const QString& text) {
    QHash<QChar, int> counts;
    for (const QString& line : text.split(u'\n')) {
        if (!line.trimmed().startsWith(u';'))
            continue;
        for (QChar c : line) {
            if (c != u' ' && c != u'\t' && c != u';')
                ++counts[c];
        }
    }
    return counts;
}

// Procedures with parameters from a small pool, blocks whose descriptions name them in any
// order (or name gone ones, or none), plain comments with markers and suppression lines.
QByteArray generate(QRandomGenerator& random) {
    static const QStringList names{u"a"_s, u"b$"_s, u"*c"_s, u"d.s"_s, u"Array e(1)"_s};
    auto pick = [&](int n) { return int(random.bounded(n)); };
    QString text;
    for (int p = pick(4) + 1; p > 0; --p) {
        QStringList parameters = names;
        std::shuffle(parameters.begin(), parameters.end(), random);
        parameters = parameters.mid(0, pick(4));
        const int kind = pick(3);
        if (kind == 0) {
            text += u";<comment>\n;  <summary>S</summary>\n"_s;
            for (int k = pick(5); k > 0; --k) {
                const QString name = pick(4) == 0 ? u"gone"_s : names[pick(int(names.size()))];
                text += u";  <param>"_s +
                        (pick(5) == 0 ? QString() : u"<b>"_s + name + u":</b>"_s) + u" text "_s +
                        QString::number(k) + (pick(3) == 0 ? u"\n;  more"_s : QString()) +
                        u"</param>\n"_s;
            }
            text += u";  <return></return>\n;</comment>\n"_s;
        } else if (kind == 1) {
            text += pick(2) == 0 ? u";- Marker\n"_s : u"x = 1\n"_s;
            for (int k = pick(3) + 1; k > 0; --k)
                text += pick(4) == 0 ? u"; glossa-ignore\n"_s : u"; Line %1.\n"_s.arg(k);
        }
        text += u"Procedure P%1("_s.arg(p) + parameters.join(u", "_s) + u")\nEndProcedure\n\n"_s;
    }
    return text.toUtf8();
}

} // namespace

class TestSourceFix : public QObject {
    Q_OBJECT
private slots:
    void neverTakesText() {
        QRandomGenerator random(38);
        const QList<CheckRule> rules{CheckRule::ParamCount, CheckRule::ParamRenamed,
                                     CheckRule::PlainComment};
        int fixedSources = 0;
        for (int round = 0; round < 500; ++round) {
            const QByteArray bytes = generate(random);
            const SourceText source = sourceOf(bytes);
            const FixedSource fixed = fixSource(source, rules, false);
            if (fixed.bytes.isEmpty())
                continue;
            ++fixedSources;
            const QHash<QChar, int> before = commentCharacters(source.text);
            const QHash<QChar, int> after = commentCharacters(fixed.text);
            for (auto it = before.begin(); it != before.end(); ++it)
                QVERIFY2(after.value(it.key()) >= it.value(), bytes.constData());
            QVERIFY2(!fixed.fixed.isEmpty(), bytes.constData());
            QVERIFY2(fixSource(sourceOf(fixed.bytes), rules, false).bytes.isEmpty(),
                     fixed.bytes.constData());
        }
        QVERIFY(fixedSources > 100); // the generator makes sources that need fixing
    }
};

QTEST_GUILESS_MAIN(TestSourceFix)
#include "test_sourcefix.moc"
