// SPDX-License-Identifier: MIT
#pragma once

#include "doc/docoptions.h"

#include <QString>
#include <QStringList>

namespace glossa {

// The file that holds a team's check settings, beside the sources or above them.
inline constexpr QStringView kConfigName = u"glossa.ini";

// The glossa.ini for the roots: each root's nearest one, looked for in the root's folder (a
// file root's folder) and the folders above it up to the one holding ".git" (the file system's
// root when none does). Empty when there is none; an error (with the files) when the roots
// have different ones.
QString findConfigFile(const QStringList& roots, QString* error);

// A glossa.ini's [check] group as the command-line options its keys stand for, one argument
// each ("-rules:a,b", "-exclude:PATTERN" once per pattern, "-baseline:FILE" with the file
// taken from the ini's folder). A value holds one item per line (continued on indented lines)
// or items parted by commas. What can't be read or used is an error, "FILE:LINE: why"; other
// groups are left for other tools.
struct ConfigArguments {
    QStringList arguments;
    QStringList errors;
};
ConfigArguments readConfigFile(const QString& path);

// The check's options with its glossa.ini: the file named by -config:FILE, else the one found
// for the paths unless -no-config is given. A setting is used only where the command line
// gives no such option: the command line wins, key by key.
DocumentationOptions parseOptionsWithConfig(const QStringList& arguments);

} // namespace glossa
