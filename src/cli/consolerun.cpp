// SPDX-License-Identifier: MIT
#include "consolerun.h"

#include "doc/checkedoutput.h"
#include "doc/docoptions.h"
#include "doc/docrun.h"
#include "glossaversion.h"
#include "log/logging.h"
#include "prefs/settingspaths.h"
#include "preview/previewpage.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace glossa {

bool isConsoleRun(const QStringList& arguments) {
    return consoleRequestOf(arguments) != ConsoleRequest::None;
}

// One literal, the help as the user reads it: splitting it would only scatter the text.
QString usageText() { // NOLINT(readability-function-size)
    QString rules;
    for (int i = 0; i < kCheckRuleCount; ++i)
        rules += u"  %1 %2\n"_s.arg(checkRuleId(CheckRule(i)), -18)
                     .arg(checkRuleDescription(CheckRule(i)));
    return uR"(Usage: glossa [OPTION]... [SOURCE]
       glossa -check [OPTION]... PATH...
       glossa -export:FOLDER [OPTION]... PATH...
       glossa -help | -version

Glossa edits the documentation comment block above a PureBasic procedure.

Editing
  Started from the PureBasic IDE's tools menu, Glossa edits the comment of the
  procedure the caret is in, in the IDE's editor. Given a SOURCE file, it edits
  that file and saves it on "Apply". Started by hand without a SOURCE, it asks
  for the folder of the IDE's tools.prefs and adds itself to the IDE's tools
  menu (default shortcut Alt+C). Options that an editing run doesn't know are
  ignored, as the IDE passes what its tool entry holds.
  -sticky                    keep the window above all others
  -winfont:FACE|SIZE|FLAGS   the window's font; flags add up: 256 bold,
                             512 italic, 4 underline, 8 strike-out
  -search:N                  0 the procedure the caret is in (between
                             procedures the nearest header), 1 the nearest
                             header before the caret, 2 the nearest after it
  -searchrange:N             read about N bytes on each side of the caret (more
                             where the procedure or its block needs it)
  -caret:LINExCOLUMN         where the caret is in SOURCE (or -caret:OFFSET,
                             a byte offset)
  -verbose                   log what Glossa decides to glossa.log beside
                             the window's settings file (below)

Checking and exporting
  Every option is also written the GNU way: --check, --export=FOLDER,
  --format=sarif. An option these runs don't know is an error.
  -check                     report procedures whose comment is missing or stale
  -export:FOLDER             write one page per source and an index into FOLDER
  -format:FORMAT             the check's: sarif (a SARIF 2.1.0 log), github
                             (GitHub Actions: 9 annotations and a notice for
                             the rest, every finding as a log line, and the
                             job summary when GITHUB_STEP_SUMMARY is set) or
                             gitlab (a GitLab Code Quality report); the
                             export's: html (the default) or markdown
  -rules:ID,...              run only these rules
  -ignore:ID,...             skip these rules (missing-comment stands for
                             plain-, detached- and unclosed-comment too)
  -exclude:GLOB              leave out files and folders whose path below PATH
                             matches ("*" within a name, "**" across folders,
                             no "/": a name at any depth); may be repeated
  -documented                check only procedures with a comment block or a
                             plain comment
  -fix[:ID,...]              write the mechanical fixes (save and close the
                             sources in the IDE first): descriptions follow
                             their parameters and missing ones get the default
                             (param-count, param-renamed, the default);
                             plain-comment makes plain comments blocks
  -diff                      with -fix: print a unified diff, write nothing
  -baseline:FILE             report only findings that FILE doesn't hold; its
                             entries that no finding took are named on
                             standard error as stale-baseline
  -write-baseline:FILE       write every finding into FILE (a new file or an
                             earlier baseline) instead of reporting it
  -help-uri:ADDRESS          the rules' help in a SARIF log ({rule}: the rule's
                             id); without it, none unless built with one
  -config:FILE               the check's settings from FILE, not glossa.ini
  -no-config                 read no glossa.ini
  -source-url:TEMPLATE       the export links each procedure to its source line:
                             {path} and {line} are filled in, e.g.
                             https://host/repo/blob/main/{path}#L{line}
  -theme:ide                 the export takes the preview's colours
  -title:NAME                the project's name in each page's title and header
                             (default: the first PATH's folder name)
  -doc-version:TEXT          the version shown beside that name
  -public-only               the export leaves out procedures private to their
                             module (not in its DeclareModule) and sources
                             without public procedures
  -no-stale                  the export doesn't mark stale parts of comments
  -force                     the export replaces files in FOLDER that it didn't
                             write (without it, it names them and writes
                             nothing); -write-baseline replaces any FILE
  -verbose                   log what the run decides on standard error
  PATH is a *.pb or *.pbi file or a folder, searched with its subfolders.

  The check prints one line per finding, then the count (on standard error
  when standard output holds the SARIF log or the GitLab report):
    path:line:column: warning: Procedure: message [rule]
    N procedures, M documented, K findings
  With -baseline the count ends with (B in the baseline). A baseline keys
  each finding by path, procedure, rule, parameter and occurrence, never by
  line: moved code stays in it.

  A comment "; glossa-ignore" (every rule) or "; glossa-ignore: ID,..." on a
  procedure's header line, or alone on a line directly above the header or its
  block, silences the check for that procedure.

  Settings: the check reads the [check] group of the nearest glossa.ini, in
  the folder of a PATH or a folder above it up to the one holding .git (only
  that file, whole): rules, ignore, exclude and baseline, meant as the options
  of the same names, one item per line or parted by commas, file paths from
  the ini's folder. An option given on the command line wins over its key.

Rules
)"_s + rules +
           uR"(
Exit codes
  Check: 0 clean, 1 findings, 2 an error (an unknown option, a path or source
  that can't be read, no source found, a glossa.ini that can't be read or
  used, a write to the output that failed). Findings in the baseline don't
  count; a baseline written gives 0.
  Export: 0 when every page was written, whatever the pages show; 2 an error
  (as above, a page not written, a file in FOLDER it didn't write). With both,
  the check's findings give 1 when there is no error.
  Editing: 0; 1 when what was applied couldn't be written, or when a run
  started by hand ends without a window.

Files
  Glossa's window position and size:
    %1
  Colours and labels of the preview and the pages (the other tool's settings):
    %2

  -help, -h, --help, /?      show this text
  -version, --version        show the version
)"_s.arg(QDir::toNativeSeparators(settingsFilePath()),
           QDir::toNativeSeparators(previewSettingsPath()));
}

int runConsole(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    CheckedOutput output(out);
    switch (consoleRequestOf(arguments)) {
    case ConsoleRequest::Help:
        output.writeText(usageText());
        output.finish();
        return output.exitCode(0, err);
    case ConsoleRequest::Version:
        output.write(QByteArrayView("Glossa " GLOSSA_VERSION "\n"));
        output.finish();
        return output.exitCode(0, err);
    case ConsoleRequest::Documentation:
        // On before the run reads its options, so that it logs from the start.
        if (parseDocumentationOptions(arguments).verbose)
            enableVerboseLogging();
        return runDocumentation(arguments, previewSettingsPath(), out, err);
    case ConsoleRequest::None:
        break;
    }
    return 0;
}

} // namespace glossa
