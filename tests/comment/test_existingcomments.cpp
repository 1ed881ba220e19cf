// SPDX-License-Identifier: MIT
#include "comment/descriptionmatch.h"
#include "comment/plaincomment.h"

#include <QTest>

using namespace glossa;
using namespace Qt::StringLiterals;

class TestExistingComments : public QObject {
    Q_OBJECT
private slots:
    // The last header of each source; its plain comment's text (null: none), the lines it
    // replaces and the suppression lines kept above the block.
    void findsPlainComment_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("replaced");
        QTest::addColumn<QString>("kept");
        const QString none;
        auto row = [](const char* name, const QString& source, const QString& summary,
                      const QString& replaced = {}, const QString& kept = {}) {
            QTest::newRow(name) << source << summary << replaced << kept;
        };
        row("one line", u"x = 1\n; Removes the tab.\nProcedure A()"_s, u"Removes the tab."_s,
            u"; Removes the tab."_s);
        row("indented, CR LF, trailing blanks", u"  ; One\r\n  ;Two  \r\n  Procedure A()"_s,
            u"One\nTwo"_s, u"  ; One\r\n  ;Two  "_s);
        row("blank line between", u"; x\n\nProcedure A()"_s, none);
        row("blank line inside", u"; a\n\n; b\nProcedure A()"_s, u"b"_s, u"; b"_s);
        row("empty comment lines", u";\n; a\n;\n; b\n;\nProcedure A()"_s, u"a\n\nb"_s,
            u"; a\n;\n; b\n;"_s);
        row("marker above", u";- Procedures\n; Does it.\nProcedure A()"_s, u"Does it."_s,
            u"; Does it."_s);
        row("marker only", u";-Procedures\nProcedure A()"_s, none);
        row("fold marks", u";{ Helpers\n; Does it.\nProcedure A()"_s, u"Does it."_s,
            u"; Does it."_s);
        row("fold mark directly above", u"; Does it.\n;}\nProcedure A()"_s, none);
        row("separators", u"; ------\n; Does it.\nProcedure A()"_s, u"Does it."_s, u"; Does it."_s);
        row("separator directly above", u"; Does it.\n; ==== *\nProcedure A()"_s, none);
        row("licence header directly above",
            u";-----\n;  Copyright (c) A. All rights reserved.\n;-----\nProcedure A()"_s, none);
        row("prose starting with a keyword",
            u"; If none is found, the result is empty.\n;\nProcedure A()"_s,
            u"If none is found, the result is empty."_s,
            u"; If none is found, the result is empty.\n;"_s);
        row("suppression inside", u"; Does it.\n; glossa-ignore: placeholder\nProcedure A()"_s,
            u"Does it."_s, u"; Does it.\n; glossa-ignore: placeholder"_s,
            u"; glossa-ignore: placeholder\n"_s);
        row("suppression above", u"; glossa-ignore\n; Does it.\nProcedure A()"_s, u"Does it."_s,
            u"; Does it."_s);
        row("suppression only", u"; GLOSSA-IGNORE\nProcedure A()"_s, none);
        row("not a suppression", u"; glossa-ignored it\nProcedure A()"_s, u"glossa-ignored it"_s,
            u"; glossa-ignored it"_s);
        row("settings block", u"; IDE Options = PureBasic 6.10\n; EnableXP\nProcedure A()"_s, none);
        row("detached block", u";<comment>\n;</comment>\n; note\nProcedure A()"_s, none);
        row("unclosed block", u";<comment>\n; note\nProcedure A()"_s, none);
        row("block", u";<comment>\n;</comment>\nProcedure A()"_s, none);
        row("after EndProcedure", u"EndProcedure\n; Next one.\nProcedure B()"_s, u"Next one."_s,
            u"; Next one."_s);
    }
    void findsPlainComment() {
        QFETCH(QString, source);
        QFETCH(QString, summary);
        QFETCH(QString, replaced);
        QFETCH(QString, kept);
        CommentContext context;
        context.CaretPos = 1'000'000;
        const std::optional<ProcedureHeader> header = FindProcedure(source, context);
        QVERIFY(header);
        const PlainComment plain = findPlainComment(source, *header, context);
        QCOMPARE(plain.present, !summary.isNull());
        if (!plain.present)
            return;
        QCOMPARE(plain.text, summary);
        QCOMPARE(plain.lines.blockText, replaced);
        QCOMPARE(source.sliced(plain.lines.startCharacter, replaced.size()), replaced);
        QCOMPARE(plain.lines.startCharacter + replaced.size() + plain.lines.textToHeader.size(),
                 header->startCharacter);
        QCOMPARE(plain.keptLines.join(QString()), kept);
    }

    // Parameters "a, b, c" unless given; descriptions by their bold names ("-": none). Rows
    // as "description index/change", then the surplus descriptions.
    void matchesDescriptions_data() {
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QList<int>>("surplus");
        const QStringList abc{u"a"_s, u"b"_s, u"c"_s};
        auto row = [](const char* name, const QStringList& parameters, const QStringList& named,
                      const char* rows, const QList<int>& surplus = {}) {
            QTest::newRow(name) << parameters << named << QString::fromLatin1(rows) << surplus;
        };
        row("in order", abc, {u"a"_s, u"b"_s, u"c"_s}, "0 1 2");
        row("reordered", abc, {u"c"_s, u"a"_s, u"b"_s}, "1/moved 2/moved 0/moved");
        row("one added", {u"a"_s, u"x"_s, u"b"_s}, {u"a"_s, u"b"_s}, "0 -1/new 1/moved");
        row("one removed", {u"a"_s, u"c"_s}, abc, "0 2/moved", {1});
        row("renamed", {u"a"_s, u"count"_s, u"c"_s}, abc, "0 1/renamed 2");
        row("two renames", {u"x"_s, u"b"_s, u"y"_s}, abc, "0/renamed 1 2/renamed");
        row("rename and a new one", {u"x"_s, u"b"_s, u"c"_s, u"d"_s}, abc, "0/renamed 1 2 -1/new");
        row("no bold name keeps its place", abc, {u"-"_s, u"a"_s, u"-"_s}, "1/moved -1/new 2", {0});
        row("all without bold names", abc, {u"-"_s, u"-"_s}, "0 1 -1");
        row("named twice", {u"a"_s, u"b"_s}, {u"a"_s, u"a"_s}, "0 -1/new", {1});
        row("types and pointers", {u"*p.Point"_s, u"Array v.i(1)"_s, u"n$"_s},
            {u"v()"_s, u"n.s"_s, u"*p"_s}, "2/moved 0/moved 1/moved");
        row("no name to rename to", {u"a"_s, QString()}, {u"a"_s, u"b"_s}, "0 1");
        row("more than parameters", {u"a"_s}, {u"a"_s, u"z"_s}, "0", {1});
    }
    void matchesDescriptions() {
        QFETCH(QStringList, parameters);
        QFETCH(QStringList, named);
        QFETCH(QString, rows);
        QFETCH(QList<int>, surplus);
        QStringList descriptions;
        for (const QString& name : named)
            descriptions << (name == u"-"_s ? u"text"_s : u"<b>"_s + name + u":</b> text"_s);
        const DescriptionMatch match = matchDescriptions(parameters, descriptions);
        QStringList got;
        for (qsizetype i = 0; i < parameters.size(); ++i) {
            const QString change = rowChangeText(match.changes[i]);
            got << QString::number(match.from[i]) + (change.isEmpty() ? QString() : u'/' + change);
        }
        QCOMPARE(got.join(u' '), rows);
        QCOMPARE(match.surplus, surplus);
        QCOMPARE(renameDescription(u" <b>old$:</b> <b>x:</b>"_s, u"*new.s"_s),
                 u" <b>*new.s:</b> <b>x:</b>"_s);
    }
};

QTEST_GUILESS_MAIN(TestExistingComments)
#include "test_existingcomments.moc"
