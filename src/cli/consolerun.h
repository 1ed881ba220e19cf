// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace glossa {

// True when the arguments ask for the usage text, the version, a check or an export: runs
// that print to the console and need no window and no display.
bool isConsoleRun(const QStringList& arguments);

// Runs one of those and returns the exit code.
int runConsole(const QStringList& arguments, std::FILE* out, std::FILE* err);

// What "glossa -help" prints.
QString usageText();

} // namespace glossa
