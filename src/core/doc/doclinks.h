// SPDX-License-Identifier: MIT
#pragma once

#include "doc/docmodel.h"

#include <QString>

#include <functional>

namespace glossa {

// Where a text stands, so that its mentions of procedures can be linked: the page (relative to
// the output folder) and the file and module of the procedure it documents.
struct LinkScope {
    const Catalog* catalog = nullptr;
    int file = 0;
    QString module;
    QString page;
};

// Where a web address that starts at start ends: at white space, "<", ">", "'", '"' or the end,
// then before trailing ".,;:!?" and before a ")" that no "(" inside the address opens.
qsizetype addressEnd(QStringView text, qsizetype start);

// A web or file address as a valid URL, meaning what it says: backslashes as "/", characters a
// URL can't hold (blanks, a second "#", "\"", "<", "|" ...) percent-encoded as UTF-8, "%" kept
// only where it starts an escape.
QString linkTarget(QStringView address);

// The link from one page of the output folder to another (both relative to it, "/"
// separators), each segment percent-encoded; with an anchor, "page#anchor" ("#anchor" on the
// same page).
QString pageLink(const QString& fromPage, const QString& toPage, const QString& anchor = {});

// Tagged text as HTML: the format tags kept (and closed where the text leaves them open), any
// other markup character escaped, web and file addresses and mentions of known procedures
// ("name()", "Module::name()") as links. In code, line breaks are kept as line ends for a
// <pre> block; otherwise they are <br>.
QString taggedToHtml(const QString& tagged, const LinkScope& scope, bool code = false);

// Tagged text as GitHub-flavoured Markdown on one line: bold, italic and strike-through as
// Markdown, the other effects as inline HTML, "<br>" kept, links as links, the rest escaped.
QString taggedToMarkdown(const QString& tagged, const LinkScope& scope);

// Tagged text as the plain lines of a code block: tags gone, "<br>" a line end.
QString taggedToCode(const QString& tagged);

// Tagged text without its tags, "<br>" as a blank, blanks simplified: what a search compares
// with, and what tells an empty field.
QString plainText(const QString& tagged);
// Whether plainText() would say anything, without making it.
bool hasPlainText(const QString& tagged);

// Each mention of a procedure ("name()", "Module::name()", the qualifier empty without one) in
// tagged text, in order: what the export links.
void forEachMention(const QString& tagged,
                    const std::function<void(QStringView qualifier, QStringView name)>& visit);

// Text escaped for Markdown outside code.
QString escapeMarkdown(QStringView text);

} // namespace glossa
