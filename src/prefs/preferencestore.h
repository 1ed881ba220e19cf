#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace glossa {

// The line-oriented preference file format (groups, keys, comments) shared by Glossa's own
// settings, the IDE's tools.prefs and PureBasic.prefs, and the other tool's Settings.ini.
// One file is current at a time: it is read whole into an entry list, every change is applied
// to that list, and the whole file is written back on PrefFileClose when something changed.
class PreferenceStore {
public:
    PreferenceStore();
    ~PreferenceStore(); // closes (and writes back) the current file
    PreferenceStore(const PreferenceStore&) = delete;
    PreferenceStore& operator=(const PreferenceStore&) = delete;

    // Nonzero when the file was opened (read-write, else read-only). 0 when it can't be opened;
    // the store then stays bound to the path, and a write makes PrefFileClose create the file.
    int PrefFileOpen(const QString& path);

    // Creates the file or empties an existing one; nonzero on success. The entry list starts
    // empty and the file counts as changed.
    int PrefFileCreate(const QString& path);

    // Writes the file back (atomically) when it changed and is writable, then forgets it.
    // Returns false only when a write was due and failed; the file on disk is then untouched.
    bool PrefFileClose();

    // Makes the group current; nonzero when found or when the name is empty (no group).
    int PrefSelectGroup(const QString& name);

    std::int32_t PrefReadNumber(const QString& key, std::int32_t defaultValue = 0);
    QString PrefReadString(const QString& key, const QString& defaultValue = QString());

    void PrefWriteNumber(const QString& key, std::int32_t value);
    void PrefWriteString(const QString& key, const QString& value);
    void PrefWriteComment(const QString& text);

    // Key enumeration of the current group.
    int PrefRewindKeys();
    int PrefNextKey();
    QString PrefCurrentValue();

    // The path of the bound file (empty when none), for messages.
    QString Path() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace glossa
