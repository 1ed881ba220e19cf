// SPDX-License-Identifier: MIT
#include "doc/checkconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

// The keys of [check] and the options they stand for. path: the value is a file, taken from
// the ini's folder.
struct ConfigKey {
    QStringView key;
    QStringView option;
    bool oneArgumentPerItem;
    bool path;
};
constexpr ConfigKey kKeys[] = {
    {u"rules", u"rules", false, false},
    {u"ignore", u"ignore", false, false},
    {u"exclude", u"exclude", true, false},
    {u"baseline", u"baseline", false, true},
};

const ConfigKey* findKey(QStringView key) {
    for (const ConfigKey& entry : kKeys) {
        if (key.compare(entry.key, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

// A path as the user can find it: relative to the working folder when it lies below it.
QString shownPath(const QString& path) {
    const QString relative = QDir::current().relativeFilePath(path);
    return QDir::toNativeSeparators(relative.startsWith(u"../"_s) ? path : relative);
}

// The folder to start from for a root: the root itself, or a file root's folder.
QString startFolder(const QString& root) {
    const QFileInfo info(root);
    return QDir::cleanPath(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

QString nearestConfig(const QString& root) {
    QDir folder(startFolder(root));
    for (;;) {
        if (QFileInfo(folder.filePath(kConfigName.toString())).isFile())
            return folder.filePath(kConfigName.toString());
        if (QFileInfo::exists(folder.filePath(u".git"_s)) || !folder.cdUp())
            return {};
    }
}

// A [check] setting being read: its key, its line and its items so far.
struct Setting {
    const ConfigKey* key = nullptr;
    int line = 0;
    QStringList items;
};

void addItems(Setting& setting, QStringView text) {
    for (QStringView item : text.split(u',')) {
        if (!item.trimmed().isEmpty())
            setting.items << item.trimmed().toString();
    }
}

// The option arguments of a finished setting; an error for what the options refuse.
void finish(const Setting& setting, const QString& path, const QDir& folder, ConfigArguments& out) {
    const QString where = u"%1:%2: "_s.arg(shownPath(path)).arg(setting.line);
    const QString option = u'-' + setting.key->option.toString() + u':';
    QStringList arguments;
    if (setting.items.isEmpty()) {
        out.errors << where + u"%1 has no value"_s.arg(setting.key->key);
        return;
    }
    if (setting.key->path) {
        if (setting.items.size() > 1) {
            out.errors << where + u"%1 takes one file"_s.arg(setting.key->key);
            return;
        }
        arguments << option + QDir::cleanPath(folder.absoluteFilePath(setting.items[0]));
    } else if (setting.key->oneArgumentPerItem) {
        for (const QString& item : setting.items)
            arguments << option + item;
    } else {
        arguments << option + setting.items.join(u',');
    }
    // The command line's own reading says what is wrong with a value, with the ini's line.
    if (!isDocumentationOption(setting.key->option)) {
        out.errors << where + u"%1 is not supported by this Glossa"_s.arg(setting.key->key);
        return;
    }
    const DocumentationOptions checked =
        parseDocumentationOptions(QStringList{u"-check"_s} + arguments + QStringList{u"."_s});
    for (const QString& error : checked.errors)
        out.errors << where + error;
    if (checked.errors.isEmpty())
        out.arguments << arguments;
}

// What the file has given so far.
struct Reading {
    bool inCheck = false;
    bool open = false; // the last setting may go on on indented lines
    QList<Setting> settings;
};

// Reads one line (numbered from 1); false, with an error, when it is none of a [group], a
// setting, its continuation, a comment or empty.
bool readLine(QStringView line, int number, Reading& reading, QString* error) {
    const QStringView content = line.trimmed();
    if (content.isEmpty() || content.startsWith(u';') || content.startsWith(u'#'))
        return true;
    if ((line[0] == u' ' || line[0] == u'\t') && reading.open) {
        addItems(reading.settings.last(), content);
        return true;
    }
    reading.open = false;
    if (content.startsWith(u'[') && content.endsWith(u']')) {
        reading.inCheck = content.sliced(1, content.size() - 2)
                              .trimmed()
                              .compare(u"check", Qt::CaseInsensitive) == 0;
        return true;
    }
    const qsizetype equals = content.indexOf(u'=');
    if (equals <= 0) {
        *error = u"not a setting (KEY = VALUE) nor a [group]"_s;
        return false;
    }
    if (!reading.inCheck)
        return true; // another group's setting
    const QStringView key = content.first(equals).trimmed();
    const ConfigKey* entry = findKey(key);
    if (!entry) {
        *error = u"unknown key \"%1\" in [check] (rules, ignore, exclude, baseline)"_s.arg(key);
        return false;
    }
    for (const Setting& earlier : std::as_const(reading.settings)) {
        if (earlier.key == entry) {
            *error = u"%1 is given twice (first on line %2)"_s.arg(entry->key).arg(earlier.line);
            return false;
        }
    }
    reading.settings.append({entry, number, {}});
    addItems(reading.settings.last(), content.sliced(equals + 1));
    reading.open = true;
    return true;
}

} // namespace

QString findConfigFile(const QStringList& roots, QString* error) {
    QStringList found;
    for (const QString& root : roots) {
        const QString config = nearestConfig(root);
        if (!config.isEmpty() && !found.contains(config))
            found << config;
    }
    if (found.size() > 1) {
        QStringList shown;
        for (const QString& path : found)
            shown << shownPath(path);
        *error = u"the paths have different %1 files (%2); check them one at a time or name "
                 "one with -config:FILE"_s.arg(kConfigName, shown.join(u", "_s));
        return {};
    }
    return found.value(0);
}

ConfigArguments readConfigFile(const QString& path) {
    ConfigArguments out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.errors << u"can't read %1: %2"_s.arg(shownPath(path), file.errorString());
        return out;
    }
    const QString text = QString::fromUtf8(file.readAll());
    Reading reading;
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (i == 0 && line.startsWith(u'\uFEFF'))
            line = line.sliced(1);
        if (QString error; !readLine(line, int(i + 1), reading, &error)) {
            out.errors << u"%1:%2: %3"_s.arg(shownPath(path)).arg(i + 1).arg(error);
            return out;
        }
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    for (const Setting& setting : std::as_const(reading.settings))
        finish(setting, path, folder, out);
    return out;
}

DocumentationOptions parseOptionsWithConfig(const QStringList& arguments) {
    DocumentationOptions options = parseDocumentationOptions(arguments);
    if (!options.check || !options.errors.isEmpty() || options.noConfig)
        return options;
    QString path = options.configFile;
    if (path.isEmpty()) {
        QString error;
        path = findConfigFile(options.paths, &error);
        if (!error.isEmpty())
            options.errors << error;
        if (path.isEmpty())
            return options;
    }
    const ConfigArguments config = readConfigFile(path);
    if (!config.errors.isEmpty()) {
        options.errors << config.errors;
        return options;
    }
    // Settings for options the command line doesn't give, before its own arguments.
    QStringList added;
    for (const QString& argument : config.arguments) {
        const QString option = argument.sliced(1, argument.indexOf(u':') - 1);
        if (!options.given.contains(option))
            added << argument;
    }
    if (added.isEmpty())
        return options;
    return parseDocumentationOptions(added + arguments);
}

} // namespace glossa
