// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <QString>
#include <QStringList>

namespace glossa {

// Prefix that MakeLinks puts before the path of a file link in an href. Its host lies in the
// reserved .invalid domain, so it can never reach a real server; PreviewNavigation turns it
// back into a file URL.
QString internalLinkPrefix();

// "#RRGGBB" (upper-case hex) for a settings colour laid out as 0x00BBGGRR; bits above the
// lowest 24 are ignored.
QString ColorToHtml(qint64 color);

// The text with every http, https and file link turned into exactly one anchor per occurrence.
// A link ends at white space, "<", ">", "'" or '"' (so it can't take a following tag into
// its address or break out of the href quotes). File links point at internalLinkPrefix() +
// path and keep their full text as the visible text. "<br>" and all other text stay unchanged.
QString MakeLinks(const QString& text);

// MakeLinks for the preview page: also, outside the links, a "<" that starts neither a format
// tag nor "<br>" becomes "&lt;", so text that merely looks like a tag shows as typed instead of
// swallowing the rest of the line. Appends each link's address, as the text holds it, to
// `addresses` when given.
QString makePageLinks(const QString& text, QStringList* addresses = nullptr);

// The address as the comment holds it for an address that the view reports for one of the
// page's links (which the view may respell: slashes for backslashes, other percent escapes);
// the reported address itself when none of the comment's addresses matches.
QString commentAddress(const QString& opened, const QStringList& commentAddresses);

// The procedure name for the call line: for a text that starts with "Runtime" or "Procedure..."
// (after blanks or tabs), the word before the first "("; any other text up to its first "(".
QString previewProcedureName(const QString& headerText);

// The page template carried in the program (ASCII, 43 CR LF lines, 1002 bytes).
QString previewPageTemplate();

// "<application-data folder>/Tolmeck/Remarqua/Settings.ini", the other tool's settings.
QString previewSettingsPath();

// The other tool's preview settings (group Main of its Settings.ini): missing file, group or
// key give 9 pt, black background, white text, yellow example, English labels.
struct PreviewSettings {
    int fontSize = 9;
    qint64 backColor = 0;
    qint64 infoColor = 16777215;
    qint64 exampleColor = 65535;
    QString resultLabel = QStringLiteral("Result");
    QString exampleLabel = QStringLiteral("Example");
};
PreviewSettings readPreviewSettings(const QString& settingsPath);

// The template with every placeholder but "{PREVIEW}" filled from the settings, plus the
// labels and the font size; built once per run.
struct PreparedPreviewPage {
    QString page;
    QString resultLabel = QStringLiteral("Result");
    QString exampleLabel = QStringLiteral("Example");
    int fontSize = 9;
};

// Reads group Main of the settings file at the path (missing file, group or key: defaults
// 9 pt, black background, white text, yellow example, English labels) and fills the template.
PreparedPreviewPage preparePreviewPage(const QString& settingsPath);

// The editor window's contents as the preview needs them, all fields as tagged text.
struct PreviewFields {
    QString procedureText;             // text of string_procedurename
    QString summary;                   // editor_summary
    QStringList parameterDescriptions; // one per ParameterList entry, in list order
    QString result;                    // editor_result
    QString example;                   // editor_example
};

struct PreviewBody {
    QString body;          // HTML that replaces "{PREVIEW}"
    QString measureText;   // the same lines, joined by "<br>", for sizing the window
    QStringList addresses; // the links' addresses as the fields hold them, in page order
};

// The page body and the measuring text for the fields. The tagged text's format tags and line
// breaks are the page's markup; any other "<" is shown as text (makePageLinks).
PreviewBody buildPreviewBody(const PreviewFields& fields, const QString& resultLabel,
                             const QString& exampleLabel);

// A copy of the prepared page with "{PREVIEW}" replaced by the body.
QString fillPreviewPage(const PreparedPreviewPage& prepared, const QString& body);

// The measuring text without its format tags, split at "<br>" into the lines to measure.
QStringList previewMeasureLines(const QString& measureText);

// The address to hand to the system for a followed link: an address with the internal link
// prefix (exact case) becomes "file:///" + the rest; an http or https address stays unchanged;
// any other address gives the empty text: it is not opened.
QString PreviewNavigation(const QString& address);

// What the preview page asks to navigate to, as the view reports it.
enum class PreviewNavigationKind {
    ContentLoad, // the view loading the page text it was given
    LinkClicked, // the user followed a link
    Typed,
    FormSubmitted,
    BackForward,
    Reload,
    Redirect, // includes refreshes the page starts by itself
    Other,
};

struct PreviewNavigationDecision {
    bool accept = false;         // let the view navigate
    std::optional<QString> open; // the address to hand to the system, if any
    bool operator==(const PreviewNavigationDecision&) const = default;
};

// The preview never navigates away: only its own content load is accepted, only a link the
// user followed in the main frame is opened (through PreviewNavigation, which refuses schemes
// other than http and https), everything else the page starts by itself is refused and opens
// nothing.
PreviewNavigationDecision decidePreviewNavigation(PreviewNavigationKind kind, bool isMainFrame,
                                                  const QString& address);

} // namespace glossa
