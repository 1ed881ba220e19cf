// SPDX-License-Identifier: MIT
#include "app/commandline.h"

#include "prefs/numberreading.h"

namespace glossa {

using namespace Qt::StringLiterals;

QStringList splitCommandLine(QStringView commandLine) {
    QStringList result;
    QString current;
    bool inQuotes = false;
    bool haveArgument = false;
    for (QChar c : commandLine) {
        if (c == u'"') {
            inQuotes = !inQuotes;
            haveArgument = true; // "" is an empty argument
        } else if (!inQuotes && (c == u' ' || c == u'\t')) {
            if (haveArgument)
                result.append(current);
            current.clear();
            haveArgument = false;
        } else {
            current.append(c);
            haveArgument = true;
        }
    }
    if (haveArgument)
        result.append(current);
    return result;
}

namespace {

// The value after a prefix option, or a null view when the argument is not that option.
QStringView valueAfter(const QString& argument, QStringView prefix) {
    if (argument.size() >= prefix.size() &&
        QStringView(argument).first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0)
        return QStringView(argument).sliced(prefix.size());
    return {};
}

void applyWinFont(CommandLine& line, QStringView value) {
    const QString lower = value.toString().toLower();
    const QStringList fields = lower.split(u'|');
    if (fields.size() > 0 && !fields[0].isEmpty())
        line.fontFace = fields[0];
    if (fields.size() > 1 && !fields[1].isEmpty())
        line.fontSize = readNumber(fields[1]);
    if (fields.size() > 2 && !fields[2].isEmpty())
        line.fontFlags = readNumber(fields[2]);
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, CommandLine line) {
    for (const QString& argument : arguments) {
        if (argument.compare(u"-sticky"_s, Qt::CaseInsensitive) == 0) {
            line.stayOnTop = true;
        } else if (argument.compare(u"-verbose"_s, Qt::CaseInsensitive) == 0) {
            line.verbose = true;
        } else if (QStringView font = valueAfter(argument, u"-winfont:"); font.data()) {
            if (!font.isEmpty())
                applyWinFont(line, font);
        } else if (QStringView range = valueAfter(argument, u"-searchrange:"); range.data()) {
            if (!range.isEmpty())
                line.searchRange = qMax(0, readNumber(range));
        } else if (QStringView mode = valueAfter(argument, u"-search:"); mode.data()) {
            if (!mode.isEmpty())
                line.searchMode = readNumber(mode);
        } else if (QStringView caret = valueAfter(argument, u"-caret:"); caret.data()) {
            if (!caret.isEmpty())
                line.caret = caret.toString();
        } else if (!argument.isEmpty() && !argument.startsWith(u'-')) {
            line.sourceFile = argument;
        }
    }
    return line;
}

} // namespace glossa
