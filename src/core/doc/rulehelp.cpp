// SPDX-License-Identifier: MIT
#include "doc/rulehelp.h"

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// By CheckRule, as Markdown; the plain text is the same without its backticks.
struct RuleHelp {
    QStringView full;
    QStringView mend;
};
constexpr RuleHelp kHelp[kCheckRuleCount] = {
    {u"The procedure has no `;<comment>` block directly above its header, so the editor "
     u"window, the preview and the export have nothing to say about it.",
     u"Open the procedure in Glossa (from the IDE's tools menu) and write its summary; "
     u"`glossa -check -documented` checks only the procedures that have a block."},
    {u"The block holds more or fewer `<param>` lines than the header has parameters: a "
     u"parameter was added or removed since the comment was written.",
     u"Open the procedure in Glossa, which shows a row per parameter: describe the new ones and "
     u"drop the descriptions of those that are gone."},
    {u"A description begins with the bold name of another parameter than the one it stands for "
     u"by position: parameters were renamed or reordered.",
     u"Move or rename the description so that its bold name is its parameter's."},
    {u"A description still holds the `{description}` placeholder a new block starts with.",
     u"Replace `{description}` with what the parameter means."},
    {u"The block's `<summary>` is empty.", u"Say in one sentence what the procedure does."},
    {u"The summary is still the procedure's header, as a new block starts.",
     u"Replace the header with one sentence saying what the procedure does."},
    {u"A comment block stands above the procedure, but comment lines or more blank lines than a "
     u"block may leave part it from the header, so it is not the procedure's.",
     u"Remove the lines between the block's `;</comment>` line and the header."},
    {u"A `;<comment>` block above the procedure has no `;</comment>` line, so it is not read.",
     u"Add the `;</comment>` line directly above the header."},
    {u"A `<param>` holds nothing but the parameter's bold name.",
     u"Say after the name what the parameter means."},
    {u"The procedure declares a return type (`Procedure.s`, `Procedure$`, ...), but its block "
     u"has no `<return>` text.",
     u"Say in `<return>` what the procedure returns."},
    {u"A `Name()` or `Module::Name()` mention in the summary, a description or the result names "
     u"no procedure the export can link and no built-in function.",
     u"Correct the name, or write it without `()` when it is no procedure."},
    {u"A `; glossa-ignore:` comment names an id that is no rule (or `unreadable-source`, which "
     u"can't be silenced), so it silences nothing.",
     u"Correct the id; `glossa -help` lists the rules."},
    {u"Comment lines directly above the header say what the procedure does, but they are no "
     u"`;<comment>` block: the export shows them as the summary, the editor window and the "
     u"preview take them as its start.",
     u"Open the procedure in Glossa and apply: the block takes the comment's place, its text "
     u"the summary; `glossa -check -fix:plain-comment` does it for a whole tree."},
    {u"The source's text can't be read: it is UTF-16, which the PureBasic IDE never writes. The "
     u"check can't vouch for it, so this is an error, which no option or comment silences.",
     u"Save the source as UTF-8 or ASCII."},
};

QString plain(QStringView markdown) {
    return markdown.toString().remove(u'`');
}

} // namespace

QString ruleFullDescription(CheckRule rule) {
    return plain(kHelp[int(rule)].full);
}

QString ruleHelpMarkdown(CheckRule rule) {
    QString help = kHelp[int(rule)].full + u"\n\n"_s + kHelp[int(rule)].mend;
    if (!isErrorRule(rule) && rule != CheckRule::UnknownRule)
        help += u"\n\nTo keep a procedure as it is: `; glossa-ignore: %1` on its header's line "
                "or directly above it."_s.arg(checkRuleId(rule));
    return help;
}

QString ruleHelpText(CheckRule rule) {
    return plain(ruleHelpMarkdown(rule)).replace(u"\n\n"_s, u" "_s);
}

} // namespace glossa
