// SPDX-License-Identifier: MIT
#include "preview/previewpage.h"

#include "prefs/preferencestore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

// The template lives in a static library, so its resource must be registered by name.
static void initPreviewResource() {
    Q_INIT_RESOURCE(preview);
}

namespace glossa {

namespace {

const QString kBr = u"<br>"_s;
const QString kCrLf = u"\r\n"_s;

QString applicationDataFolder() {
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
#else
    QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + u"/.config"_s;
#endif
}

// A procedure's name is made of these; "#" joins a macro's parameter to it (Get#name).
bool isNameChar(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_' || c == u'#';
}

} // namespace

QString internalLinkPrefix() {
    return u"http://glossa-file.invalid/"_s;
}

QString ColorToHtml(qint64 color) {
    const quint32 bgr = quint32(color) & 0xFFFFFFu;
    const auto hex = [](quint32 byte) {
        return QString::number(byte & 0xFFu, 16).rightJustified(2, u'0').toUpper();
    };
    return u"#"_s + hex(bgr) + hex(bgr >> 8) + hex(bgr >> 16);
}

namespace {

// The twelve format tags, as the tagged text holds them (exact letter case).
const QStringList& formatTagTexts() {
    static const QStringList tags = {u"<b>"_s,   u"</b>"_s,   u"<u>"_s,   u"</u>"_s,
                                     u"<i>"_s,   u"</i>"_s,   u"<s>"_s,   u"</s>"_s,
                                     u"<sup>"_s, u"</sup>"_s, u"<sub>"_s, u"</sub>"_s};
    return tags;
}

// Text outside the links of one line: a "<" that opens none of the format tags becomes "&lt;".
QString escapeStrayTagStarts(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'<') {
            const QStringView rest = text.sliced(i);
            const bool tag = rest.startsWith(kBr) ||
                             std::any_of(formatTagTexts().begin(), formatTagTexts().end(),
                                         [&](const QString& t) { return rest.startsWith(t); });
            if (!tag) {
                out += u"&lt;"_s;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// MakeLinks, with the text between the links passed through `outside`.
template <typename Outside>
QString linkLines(const QString& text, Outside outside, QStringList* addresses) {
    // An address ends at any white space, also the Unicode kinds (a no-break space) that
    // "\s" without Unicode properties doesn't know.
    static const QRegularExpression link(
        uR"((https?://|file:///)[^\s\x{85}\x{A0}\x{1680}\x{2000}-\x{200A}\x{2028}\x{2029})"
        uR"(\x{202F}\x{205F}\x{3000}<>'"]*)"_s,
        QRegularExpression::CaseInsensitiveOption);
    QStringList lines = text.split(kBr);
    for (QString& line : lines) {
        QString out;
        qsizetype done = 0;
        for (const QRegularExpressionMatch& m : link.globalMatch(line)) {
            const QString address = m.captured(0);
            const QString href = address.left(4).toLower() == u"http"
                                     ? address
                                     : internalLinkPrefix() + address.mid(8);
            out += outside(QStringView(line).mid(done, m.capturedStart(0) - done));
            out += u"<a href='"_s + href + u"'>"_s + address + u"</a>"_s;
            if (addresses)
                addresses->append(address);
            done = m.capturedEnd(0);
        }
        out += outside(QStringView(line).mid(done));
        line = out;
    }
    return lines.join(kBr);
}

// Identifies an address however the view spelled it: backslashes (plain, or escaped as the
// plain view does) as slashes, percent escapes as QUrl writes them, the root path spelled out.
QString addressKey(const QString& address) {
    QString slashes = address;
    slashes.replace(u'\\', u'/').replace(u"%5C"_s, u"/"_s, Qt::CaseInsensitive);
    QUrl url = QUrl(slashes).adjusted(QUrl::NormalizePathSegments);
    if (url.path().isEmpty() && !url.host().isEmpty())
        url.setPath(u"/"_s); // a web address without a path has the root path
    return url.toString(QUrl::FullyEncoded);
}

} // namespace

QString MakeLinks(const QString& text) {
    return linkLines(
        text, [](QStringView s) { return s.toString(); }, nullptr);
}

QString makePageLinks(const QString& text, QStringList* addresses) {
    return linkLines(text, escapeStrayTagStarts, addresses);
}

QString commentAddress(const QString& opened, const QStringList& commentAddresses) {
    const QString key = addressKey(opened);
    for (const QString& address : commentAddresses) {
        if (addressKey(address) == key)
            return address;
    }
    return opened;
}

QString previewProcedureName(const QString& headerText) {
    QString name = headerText;
    const qsizetype paren = name.indexOf(u'(');
    if (paren >= 0)
        name.truncate(paren);
    qsizetype first = 0;
    while (first < name.size() && (name[first] == u' ' || name[first] == u'\t'))
        ++first;
    const QStringView rest = QStringView(name).sliced(first);
    if (!rest.startsWith(u"runtime", Qt::CaseInsensitive) &&
        !rest.startsWith(u"procedure", Qt::CaseInsensitive))
        return name;
    // The name is the word before the list; indentation, "Runtime", the keyword and a return
    // type in any of its forms ("Procedure . s Foo", "Procedure.Module::T Foo") go.
    qsizetype end = name.size();
    while (end > first && (name[end - 1] == u' ' || name[end - 1] == u'\t'))
        --end;
    qsizetype start = end;
    while (start > first && isNameChar(name[start - 1]))
        --start;
    return name.mid(start, end - start);
}

QString previewPageTemplate() {
    initPreviewResource();
    QFile file(u":/preview/page.html"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll());
}

QString previewSettingsPath() {
    return applicationDataFolder() + u"/Tolmeck/Remarqua/Settings.ini"_s;
}

PreviewSettings readPreviewSettings(const QString& settingsPath) {
    PreviewSettings settings;
    PreferenceStore store;
    store.PrefFileOpen(settingsPath);
    if (store.PrefSelectGroup(u"Main"_s)) {
        settings.fontSize = store.PrefReadNumber(u"InfoWindow_FontSize"_s, 9);
        settings.backColor = store.PrefReadNumber(u"InfoWindow_BackColor"_s, 0);
        settings.infoColor = store.PrefReadNumber(u"InfoWindow_Color"_s, 16777215);
        settings.exampleColor = store.PrefReadNumber(u"InfoWindow_ExampleColor"_s, 65535);
        if (store.PrefReadString(u"Language"_s) == u"German") {
            settings.resultLabel = u"Ergebnis"_s;
            settings.exampleLabel = u"Beispiel"_s;
        }
    }
    store.PrefFileClose();
    return settings;
}

PreparedPreviewPage preparePreviewPage(const QString& settingsPath) {
    PreparedPreviewPage prepared;
    const PreviewSettings settings = readPreviewSettings(settingsPath);
    const qint64 backColor = settings.backColor;
    const qint64 infoColor = settings.infoColor;
    const qint64 exampleColor = settings.exampleColor;
    prepared.fontSize = settings.fontSize;
    prepared.resultLabel = settings.resultLabel;
    prepared.exampleLabel = settings.exampleLabel;
    prepared.page = previewPageTemplate()
                        .replace(u"{BACKGROUNDCOLOR}"_s, ColorToHtml(backColor))
                        .replace(u"{FONTSIZE}"_s, QString::number(prepared.fontSize))
                        .replace(u"{INFOCOLOR}"_s, ColorToHtml(infoColor))
                        .replace(u"{EXAMPLECOLOR}"_s, ColorToHtml(exampleColor))
                        .replace(u"{FONTFAMILY}"_s, u"Arial"_s);
    return prepared;
}

PreviewBody buildPreviewBody(const PreviewFields& fields, const QString& resultLabel,
                             const QString& exampleLabel) {
    const QString callLine = resultLabel + u" = "_s + previewProcedureName(fields.procedureText) +
                             u"(): "_s + fields.summary;
    PreviewBody out;
    out.body = u"<div class='info'>"_s + makePageLinks(callLine, &out.addresses) + kBr + kCrLf;
    out.measureText = callLine;

    for (const QString& description : fields.parameterDescriptions) {
        for (const QString& line : description.split(kBr)) {
            out.body +=
                u"&nbsp;&nbsp;&nbsp;&nbsp;"_s + makePageLinks(line, &out.addresses) + kBr + kCrLf;
            out.measureText += u"<br>    "_s + line;
        }
    }
    if (!fields.result.isEmpty()) {
        const QString resultLine = resultLabel + u": "_s + fields.result;
        out.body += makePageLinks(resultLine, &out.addresses) + kBr + kCrLf;
        out.measureText += kBr + resultLine;
    }
    if (!fields.example.isEmpty()) {
        out.measureText += kBr + exampleLabel + u": "_s + fields.example;
        out.body += exampleLabel + u": <span class='example'>"_s +
                    makePageLinks(fields.example, &out.addresses) + kBr + kCrLf + u"</span>"_s;
    }
    out.body += u"</div>"_s;
    return out;
}

QString fillPreviewPage(const PreparedPreviewPage& prepared, const QString& body) {
    QString page = prepared.page;
    return page.replace(u"{PREVIEW}"_s, body);
}

QStringList previewMeasureLines(const QString& measureText) {
    QString text = measureText;
    for (const QString& tag : formatTagTexts())
        text.remove(tag);
    return text.split(kBr);
}

QString PreviewNavigation(const QString& address) {
    const QString prefix = internalLinkPrefix();
    if (address.startsWith(prefix))
        return u"file:///"_s + address.mid(prefix.size());
    // The page's own anchors are web and file links only. Anything else came from markup
    // typed into a field, and the system would run a program for it: it is not opened.
    if (address.startsWith(u"http://"_s, Qt::CaseInsensitive) ||
        address.startsWith(u"https://"_s, Qt::CaseInsensitive))
        return address;
    return {};
}

PreviewNavigationDecision decidePreviewNavigation(PreviewNavigationKind kind, bool isMainFrame,
                                                  const QString& address) {
    if (!isMainFrame)
        return {};
    if (kind == PreviewNavigationKind::ContentLoad)
        return {true, std::nullopt};
    if (kind == PreviewNavigationKind::LinkClicked) {
        const QString open = PreviewNavigation(address);
        if (!open.isEmpty())
            return {false, open};
    }
    return {};
}

} // namespace glossa
