// SPDX-License-Identifier: MIT
// The generated source trees that the documentation benchmarks check, export and search.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

namespace benchtree {

// Files in folders of 100, each of procedures procedures of equal size. With alphabet, the
// names start with every letter pair alike ("QbProc_..."); else all with "Proc_". With modules,
// the files of every other folder hold their procedures in a module of their own, which
// declares every other one.
struct TreeShape {
    int files;
    int procedures;
    qsizetype fileBytes;
    bool alphabet = false;
    bool modules = false;
};

inline constexpr TreeShape kSmall{1000, 50, 20 * 1024 * 1024 / 1000};
// 100,000 procedures, in 5,000 modules and 50 folders of sources without modules.
inline constexpr TreeShape kLarge{10000, 10, 116 * 1000 * 1000 / 10000, true, true};

inline QByteArray procedureName(const TreeShape& shape, int file, int n) {
    const QByteArray tail = "Proc_" + QByteArray::number(file) + "_" + QByteArray::number(n);
    if (!shape.alphabet)
        return tail;
    const int k = file * shape.procedures + n;
    return QByteArray(1, char('A' + k % 26)) + QByteArray(1, char('a' + k / 26 % 26)) + tail;
}

// suppressed: every third procedure has a "; glossa-ignore" comment, on its header's line or
// above its block.
inline QByteArray procedure(const TreeShape& shape, int file, int n, bool suppressed) {
    const QByteArray name = procedureName(shape, file, n);
    QByteArray text;
    if (suppressed && n % 3 == 0 && n % 2 == 0)
        text += "; glossa-ignore: missing-return, empty-param\r\n";
    if (n % 2 == 0)
        text += ";<comment>\r\n"
                ";  <summary>Computes the value of " +
                name + " from the <b>inputs</b>, after " + procedureName(shape, file, n + 1) +
                "(), see "
                "https://example.org/" +
                name +
                ".</summary>\r\n"
                ";  <param><b>a:</b> the first value</param>\r\n"
                ";  <param><b>text.s:</b> the text<br>in <i>two</i> lines</param>\r\n"
                ";  <return>the result</return>\r\n"
                ";  <example>" +
                name +
                "(1, \"x\")</example>\r\n"
                ";</comment>\r\n";
    text += "Procedure.i " + name + "(a, text.s)" +
            (suppressed && n % 3 == 0 && n % 2 == 1 ? " ; glossa-ignore" : "") +
            "\r\n  Protected x = a * 2\r\n";
    const qsizetype target = shape.fileBytes / shape.procedures - 16;
    for (int step = 0; text.size() < target; ++step)
        text += "  x = x + a ; step " + QByteArray::number(step) + "\r\n";
    text += "  ProcedureReturn x\r\nEndProcedure\r\n\r\n";
    return text;
}

inline QByteArray source(const TreeShape& shape, int file, bool suppressed) {
    const bool module = shape.modules && file / 100 % 2 == 1;
    const QByteArray moduleName = "M" + QByteArray::number(file);
    QByteArray text = "EnableExplicit\r\n\r\n";
    if (module) {
        text += "DeclareModule " + moduleName + "\r\n";
        for (int n = 0; n < shape.procedures; n += 2)
            text += "  Declare.i " + procedureName(shape, file, n) + "(a, text.s)\r\n";
        text += "EndDeclareModule\r\n\r\nModule " + moduleName + "\r\n";
    }
    for (int n = 0; n < shape.procedures; ++n)
        text += procedure(shape, file, n, suppressed);
    if (module)
        text += "EndModule\r\n";
    return text;
}

// suppressed: with suppression comments and a glossa.ini.
inline QString makeTree(const QTemporaryDir& dir, const TreeShape& shape, bool suppressed = false) {
    const QString root = dir.filePath(QStringLiteral("tree"));
    if (suppressed) {
        QDir().mkpath(root);
        QFile ini(root + QStringLiteral("/glossa.ini"));
        if (!ini.open(QIODevice::WriteOnly))
            std::abort();
        ini.write("[check]\nignore = default-summary\nexclude =\n  **/Residents/**\n  *.pbf\n");
    }
    for (int f = 0; f < shape.files; ++f) {
        const QString folder = root + QStringLiteral("/part%1").arg(f / 100);
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/source%1.pb").arg(f));
        if (!file.open(QIODevice::WriteOnly) || file.write(source(shape, f, suppressed)) < 0)
            std::abort();
    }
    return root;
}

} // namespace benchtree
