// SPDX-License-Identifier: MIT
#include "doc/docoptions.h"

#include "doc/sourcefix.h"

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// An argument read as an option: "-name", "--name", either with ":value" or "=value".
struct OptionArgument {
    bool isOption = false;
    QString name; // lower case
    bool hasValue = false;
    QString value;
};

OptionArgument readOption(const QString& argument) {
    OptionArgument option;
    qsizetype at = argument.startsWith(u"--"_s) ? 2 : argument.startsWith(u'-') ? 1 : 0;
    if (at == 0 || argument.size() == at)
        return option;
    const qsizetype nameStart = at;
    while (at < argument.size() && (argument[at].isLetterOrNumber() || argument[at] == u'-'))
        ++at;
    if (at < argument.size() && argument[at] != u':' && argument[at] != u'=')
        return option;
    option.isOption = true;
    option.name = argument.mid(nameStart, at - nameStart).toLower();
    option.hasValue = at < argument.size();
    option.value = argument.mid(at + 1);
    return option;
}

enum Modes { KCheck = 1, KExport = 2, KBoth = KCheck | KExport };

// Applies an option's value; returns what is wrong with it, or nothing.
using Apply = QString (*)(DocumentationOptions& options, const QString& value);

struct OptionSpec {
    QStringView name;
    bool takesValue;
    int modes; // the runs that know it
    Apply apply;
};

// ignoring: the rules are to be skipped, which an error's rule can't be.
QString readRules(QList<CheckRule>& into, const QString& option, const QString& value,
                  bool ignoring) {
    for (const QString& id : value.split(u',', Qt::SkipEmptyParts)) {
        CheckRule rule;
        if (!checkRuleById(id.trimmed(), &rule))
            return u"%1: unknown rule \"%2\"; see glossa -help"_s.arg(option, id.trimmed());
        if (isErrorRule(rule) && ignoring)
            return u"%1: %2 can't be ignored"_s.arg(option, checkRuleId(rule));
        into.append(rulesNamedBy(rule));
    }
    return {};
}

const OptionSpec kOptions[] = {
    {u"check", false, KBoth,
     [](DocumentationOptions& o, const QString&) {
         o.check = true;
         return QString();
     }},
    {u"export", true, KBoth,
     [](DocumentationOptions& o, const QString& v) {
         o.exportFolder = v;
         return QString();
     }},
    {u"format", true, KBoth,
     [](DocumentationOptions& o, const QString& v) {
         o.format = v;
         return QString();
     }},
    {u"rules", true, KCheck,
     [](DocumentationOptions& o, const QString& v) {
         o.onlyRules.clear();
         return readRules(o.onlyRules, u"-rules"_s, v, false);
     }},
    {u"ignore", true, KCheck,
     [](DocumentationOptions& o, const QString& v) {
         return readRules(o.ignoredRules, u"-ignore"_s, v, true);
     }},
    {u"exclude", true, KBoth,
     [](DocumentationOptions& o, const QString& v) {
         o.excludes.append(v);
         return QString();
     }},
    // "-fix" alone fixes what is always mechanical; "-fix:ids" names the rules.
    {u"fix", false, KCheck,
     [](DocumentationOptions& o, const QString& v) {
         o.fixRules.clear();
         if (v.isEmpty()) {
             o.fixRules = defaultFixRules();
             return QString();
         }
         if (QString error = readRules(o.fixRules, u"-fix"_s, v, false); !error.isEmpty())
             return error;
         for (CheckRule rule : o.fixRules) {
             if (rule != CheckRule::PlainComment && !defaultFixRules().contains(rule))
                 return u"-fix: %1 has no fix (param-count, param-renamed and plain-comment "
                        "have)"_s.arg(checkRuleId(rule));
         }
         return QString();
     }},
    {u"diff", false, KCheck,
     [](DocumentationOptions& o, const QString&) {
         o.diff = true;
         return QString();
     }},
    {u"config", true, KCheck,
     [](DocumentationOptions& o, const QString& v) {
         o.configFile = v;
         return QString();
     }},
    {u"no-config", false, KCheck,
     [](DocumentationOptions& o, const QString&) {
         o.noConfig = true;
         return QString();
     }},
    {u"help-uri", true, KCheck,
     [](DocumentationOptions& o, const QString& v) {
         o.helpUri = v;
         return QString();
     }},
    {u"documented", false, KCheck,
     [](DocumentationOptions& o, const QString&) {
         o.documentedOnly = true;
         return QString();
     }},
    {u"source-url", true, KExport,
     [](DocumentationOptions& o, const QString& v) {
         o.sourceUrl = v;
         return QString();
     }},
    {u"baseline", true, KCheck,
     [](DocumentationOptions& o, const QString& v) {
         o.baseline = v;
         return QString();
     }},
    {u"write-baseline", true, KCheck,
     [](DocumentationOptions& o, const QString& v) {
         o.writeBaseline = v;
         return QString();
     }},
    {u"force", false, KBoth,
     [](DocumentationOptions& o, const QString&) {
         o.force = true;
         return QString();
     }},
    {u"title", true, KExport,
     [](DocumentationOptions& o, const QString& v) {
         o.title = v;
         return QString();
     }},
    {u"doc-version", true, KExport,
     [](DocumentationOptions& o, const QString& v) {
         o.docVersion = v;
         return QString();
     }},
    {u"public-only", false, KExport,
     [](DocumentationOptions& o, const QString&) {
         o.publicOnly = true;
         return QString();
     }},
    {u"no-stale", false, KExport,
     [](DocumentationOptions& o, const QString&) {
         o.noStale = true;
         return QString();
     }},
    {u"verbose", false, KBoth,
     [](DocumentationOptions& o, const QString&) {
         o.verbose = true;
         return QString();
     }},
    {u"theme", true, KExport,
     [](DocumentationOptions& o, const QString& v) {
         o.ideTheme = v.compare(u"ide"_s, Qt::CaseInsensitive) == 0;
         return o.ideTheme ? QString() : u"-theme: knows ide, not \"%1\""_s.arg(v);
     }},
};

const OptionSpec* findOption(const QString& name) {
    for (const OptionSpec& spec : kOptions) {
        if (spec.name == name)
            return &spec;
    }
    return nullptr;
}

} // namespace

ConsoleRequest consoleRequestOf(const QStringList& arguments) {
    ConsoleRequest request = ConsoleRequest::None;
    for (const QString& argument : arguments) {
        if (argument == u"--"_s)
            break;
        if (argument == u"/?"_s)
            return ConsoleRequest::Help;
        const OptionArgument option = readOption(argument);
        if (!option.isOption)
            continue;
        if (option.name == u"help"_s || option.name == u"h"_s)
            return ConsoleRequest::Help;
        if (option.name == u"version"_s)
            return ConsoleRequest::Version;
        if (option.name == u"check"_s || option.name == u"export"_s)
            request = ConsoleRequest::Documentation;
    }
    return request;
}

DocumentationOptions parseDocumentationOptions(const QStringList& arguments) {
    DocumentationOptions options;
    QList<const OptionSpec*> used;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-')) {
            if (!argument.isEmpty())
                options.paths << argument;
            continue;
        }
        if (argument == u"--"_s) {
            optionsEnded = true;
            continue;
        }
        const OptionArgument option = readOption(argument);
        const OptionSpec* spec = option.isOption ? findOption(option.name) : nullptr;
        if (!spec) {
            options.errors << u"unknown option %1; see glossa -help"_s.arg(argument);
            continue;
        }
        const QString shown = u'-' + spec->name.toString();
        QString value = option.value;
        // "-fix" may be given rules, or none.
        if (!spec->takesValue && option.hasValue && spec->name != u"fix"_s) {
            options.errors << u"%1 takes no value"_s.arg(shown);
            continue;
        }
        // "--name value", as GNU programs also read it.
        if (spec->takesValue && !option.hasValue && i + 1 < arguments.size())
            value = arguments[++i];
        if (spec->takesValue && value.isEmpty()) {
            options.errors << u"%1 needs a value (%1:VALUE or -%1=VALUE)"_s.arg(shown);
            continue;
        }
        if (const QString error = spec->apply(options, value); !error.isEmpty())
            options.errors << error;
        if (!used.contains(spec))
            used << spec;
    }

    const bool exporting = !options.exportFolder.isEmpty();
    for (const OptionSpec* spec : used) {
        options.given << spec->name.toString();
        if (!(spec->modes & KExport) && !options.check)
            options.errors << u"-%1 works only with -check"_s.arg(spec->name);
        if (!(spec->modes & KCheck) && !exporting)
            options.errors << u"-%1 works only with -export:"_s.arg(spec->name);
    }
    if (!options.format.isEmpty()) {
        const QString format = options.format.toLower();
        if (exporting && (format == u"html"_s || format == u"markdown"_s))
            options.markdown = format == u"markdown"_s;
        else if (!exporting && format == u"sarif"_s)
            options.checkFormat = CheckFormat::Sarif;
        else if (!exporting && format == u"github"_s)
            options.checkFormat = CheckFormat::Github;
        else if (!exporting && format == u"gitlab"_s)
            options.checkFormat = CheckFormat::Gitlab;
        else if (exporting)
            options.errors << u"-format:%1 is not a format of the export (html, markdown)"_s.arg(
                options.format);
        else
            options.errors << u"-format:%1 is not a format of the check (sarif, github, "
                              "gitlab)"_s.arg(options.format);
    }
    if (options.diff && options.fixRules.isEmpty())
        options.errors << u"-diff works only with -fix"_s;
    // A baseline records the findings as they are: not while they are being fixed.
    if (!options.fixRules.isEmpty() && !options.writeBaseline.isEmpty())
        options.errors << u"-fix writes no baseline: fix first, then write the baseline"_s;
    if (!options.writeBaseline.isEmpty() && !options.format.isEmpty() && !exporting)
        options.errors << u"-write-baseline reports no findings: -format:%1 has nothing to "
                          "write"_s.arg(options.format);
    if (options.force && options.check && !exporting && options.writeBaseline.isEmpty())
        options.errors << u"-force works only with -export: or -write-baseline:"_s;
    if (options.paths.isEmpty())
        options.errors << u"name the source files or folders to read"_s;
    if (options.noConfig && !options.configFile.isEmpty())
        options.errors << u"-config and -no-config exclude each other"_s;
    return options;
}

bool isDocumentationOption(QStringView name) {
    return findOption(name.toString()) != nullptr;
}

} // namespace glossa
