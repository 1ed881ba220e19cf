// SPDX-License-Identifier: MIT
#include "install/ideshortcuts.h"

#include <algorithm>
#include <array>

namespace glossa {

namespace {

constexpr std::array<IdeMenuShortcut, 66> kMenuShortcuts{{
    {"New", 131150, 131150, 524398},
    {"Open", 131151, 131151, 524399},
    {"Save", 131155, 131155, 524403},
    {"Close", 131159, 131159, 524407},
    {"Undo", 131162, 131162, 524410},
    {"Redo", 131161, 131161, 589946},
    {"Cut", 131160, 131160, 524408},
    {"Copy", 131139, 131139, 524387},
    {"Paste", 131158, 131158, 524406},
    {"PasteComment", 196694, 196694, 589942},
    {"InsertComment", 131138, 131138, 524386},
    {"RemoveComment", 196674, 196674, 589922},
    {"AutoIndent", 131145, 131145, 524393},
    {"SelectAll", 131137, 131137, 524385},
    {"Goto", 131143, 131143, 524391},
    {"JumpToKeyword", 131147, 131147, 524395},
    {"LastViewedLine", 131148, 131148, 524396},
    {"ToggleThisFold", 115, 65473, 524404},
    {"ToggleFolds", 131187, 196545, 589940},
    {"AddMarker", 131185, 196543, 524664},
    {"JumpToMarker", 113, 65471, 376},
    {"Find", 131142, 131142, 524390},
    {"FindNext", 114, 65472, 589926},
    {"FindPrevious", 65650, 131008, 589936},
    {"FindInFiles", 196678, 196678, 0},
    {"Replace", 131144, 131144, 524392},
    {"NewProject", 196686, 196686, 589934},
    {"OpenProject", 196687, 196687, 589935},
    {"CloseProject", 196695, 196695, 589943},
    {"AddProjectFile", 196673, 196673, 589921},
    {"RemoveProjectFile", 196690, 196690, 589938},
    {"AutoComplete", 131104, 131104, 131104},
    {"ProceduresUpdate", 123, 65481, 367},
    {"Compile", 116, 65474, 352},
    {"RunExe", 65652, 131010, 65888},
    {"Stop", 117, 65475, 353},
    {"Run", 118, 65476, 354},
    {"Step", 119, 65477, 356},
    {"StepX", 131191, 196549, 524644},
    {"StepOver", 121, 65479, 365},
    {"StepOut", 122, 65480, 359},
    {"BreakPoint", 120, 65478, 357},
    {"VisualDesigner", 262230, 262230, 524409},
    {"StructureViewer", 262227, 262227, 786547},
    {"VariableViewer", 0, 0, 786550},
    {"ColorPicker", 0, 0, 786541},
    {"AsciiTable", 262209, 262209, 786529},
    {"Explorer", 262232, 262232, 786552},
    {"Help", 112, 65470, 378},
    {"NextOpenFile", 131081, 196361, 131081},
    {"PreviousOpenFile", 196617, 261897, 196617},
    {"ShiftCommentRight", 131141, 131141, 524389},
    {"ShiftCommentLeft", 196677, 196677, 589925},
    {"SelectBlock", 131149, 131149, 524397},
    {"DeselectBlock", 196685, 196685, 589933},
    {"MoveLinesUp", 196646, 261970, 589854},
    {"MoveLinesDown", 196648, 261972, 589855},
    {"DuplicateSelection", 131140, 131140, 524388},
    {"UpperCase", 196693, 196693, 589941},
    {"LowerCase", 196684, 196684, 589932},
    {"InvertCase", 196696, 196696, 589944},
    {"ZoomIn", 131259, 0, 0},
    {"ZoomOut", 131261, 0, 0},
    {"ZoomDefault", 131120, 131120, 524336},
    {"AutoCompleteConfirm", 9, 65289, 9},
    {"AutoCompleteAbort", 27, 65307, 27},
}};

// The titles of the menus File, Edit, Compiler, Tools and Help in the catalogues that come with
// the IDE, under the name its preferences give the language.
struct MenuTitles {
    const char* language;
    std::array<const char*, 5> titles;
};

constexpr std::array<MenuTitles, 5> kMenuTitles{{
    {"English", {"&File", "&Edit", "&Compiler", "&Tools", "&Help"}},
    {"Deutsch", {"&Datei", "&Bearbeiten", "&Compiler", "&Werkzeuge", "&Hilfe"}},
    {"Francais", {"&Fichier", "&Edition", "&Compilateur", "&Outils", "&Aide"}},
    {"Italiano", {"&File", "&Edita", "&Compilatore", "&Strumenti", "&Aiuto"}},
    {"Spanish", {"Archivo", "Editar", "Compilar", "Herramientas", "Ayuda"}},
}};

const MenuTitles& titlesFor(const QString& language) {
    for (const MenuTitles& entry : kMenuTitles) {
        if (language.compare(QLatin1StringView(entry.language), Qt::CaseInsensitive) == 0)
            return entry;
    }
    return kMenuTitles.front();
}

// The IDE takes Alt with the key whose code lies as far from A's as the title's first character
// (upper-cased) lies from 'A': a title starting with "&" gives a key below A's code.
std::vector<std::int32_t> menuTitleShortcuts(IdePlatform platform, const QString& language) {
    const std::int32_t keyA =
        platform == IdePlatform::MacOS ? std::int32_t{'a'} : std::int32_t{'A'};
    std::vector<std::int32_t> taken;
    for (const char* title : titlesFor(language).titles) {
        char first = title[0];
        if (first >= 'a' && first <= 'z')
            first = char(first - 'a' + 'A');
        const std::int32_t value = 0x40000 | (keyA + first - 'A');
        if (std::find(taken.begin(), taken.end(), value) == taken.end())
            taken.push_back(value);
    }
    return taken;
}

// Tab, Shift+Tab and the combinations the platform keeps for itself.
std::vector<std::int32_t> reservedShortcuts(IdePlatform platform) {
    switch (platform) {
    case IdePlatform::Linux:
        // Tab, Shift+Tab, Ctrl+Alt+Delete, Ctrl+Alt+F1 to F7 (the consoles),
        // Ctrl+Alt+Backspace (the X server).
        return {65289,  130825, 458751, 458686, 458687, 458688,
                458689, 458690, 458691, 458692, 458504};
    case IdePlatform::MacOS:
        // Tab, Shift+Tab, and with Control (not Command) Ctrl+Alt+Delete, Ctrl+Alt+F1 to F7 and
        // Ctrl+Alt+Backspace.
        return {9, 65545, 393343, 393594, 393592, 393571, 393590, 393568, 393569, 393570, 393224};
    case IdePlatform::Windows:
        break;
    }
    // Tab, Shift+Tab, Ctrl+Alt+Delete, Alt+Tab, Alt+F4.
    return {9, 65545, 393262, 262153, 262259};
}

} // namespace

std::int32_t IdeMenuShortcut::forPlatform(IdePlatform platform) const {
    switch (platform) {
    case IdePlatform::Linux:
        return onLinux;
    case IdePlatform::MacOS:
        return onMacOS;
    case IdePlatform::Windows:
        break;
    }
    return onWindows;
}

std::span<const IdeMenuShortcut> ideMenuShortcuts() {
    return kMenuShortcuts;
}

std::vector<std::int32_t> ideAlwaysTakenShortcuts(IdePlatform platform, const QString& language) {
    std::vector<std::int32_t> taken = menuTitleShortcuts(platform, language);
    const std::vector<std::int32_t> reserved = reservedShortcuts(platform);
    taken.insert(taken.end(), reserved.begin(), reserved.end());
    return taken;
}

} // namespace glossa
