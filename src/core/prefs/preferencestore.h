// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <QString>
#include <QStringList>

namespace glossa {

// The line-oriented preference file format (groups, keys, comments) shared by Glossa's own
// settings, the IDE's tools.prefs and PureBasic.prefs, and the other tool's Settings.ini.
// One file is current at a time: it is read whole into an entry list, every change is applied
// to that list, and the whole file is written back on PrefFileClose when something changed.
class PreferenceStore {
public:
    // How a changed file is written back. Rewrite writes every entry in the store's own form
    // (byte-order mark, CR LF, "Key = Value", no blank lines). Keep writes every line it read
    // as it was, with its line end, blank lines and byte-order mark (or none); only a changed
    // value takes the new text in place, and new lines are written in the store's form with
    // the file's first line end (CR LF in a file without one). For files shared with another
    // program.
    enum class Layout { Rewrite, Keep };

    PreferenceStore();
    ~PreferenceStore(); // closes (and writes back) the current file
    PreferenceStore(const PreferenceStore&) = delete;
    PreferenceStore& operator=(const PreferenceStore&) = delete;

    // Nonzero when the file was opened (read-write, else read-only). 0 when it can't be opened;
    // the store then stays bound to the path, and a write makes PrefFileClose create the file.
    int PrefFileOpen(const QString& path, Layout layout = Layout::Rewrite);

    // Creates the file or empties an existing one; nonzero on success. The entry list starts
    // empty and the file counts as changed. An existing file keeps its old bytes until
    // PrefFileClose replaces them, so a failure in between never leaves it empty.
    int PrefFileCreate(const QString& path);

    // Writes the file back when it changed and is writable, then forgets it. The write replaces
    // the file atomically (a temporary file beside it, renamed over it) and keeps its
    // permissions. Returns true when nothing needed storing or the file was stored; false when
    // changes were NOT stored: the write failed (the file on disk is then untouched) or the file
    // was open for reading only (its changes are dropped).
    bool PrefFileClose();
    // Why the last PrefFileClose did not store the file; empty when it did.
    const QString& prefLastWriteError() const { return lastWriteError_; }

    // Makes the group current; nonzero when found or when the name is empty (no group). A
    // missing group becomes pending: reads give defaults until the first write appends it.
    // 0 when no file is bound.
    int PrefSelectGroup(const QString& name);

    // The key's value read as a decimal number (blanks, sign, digits; no digits gives 0), or
    // the default when the key is missing.
    std::int32_t PrefReadNumber(const QString& key, std::int32_t defaultValue = 0);
    // The key's value without leading and trailing blanks and tabs, or the default.
    QString PrefReadString(const QString& key, const QString& defaultValue = QString());

    // Stores the value (decimal, or the text unchanged) under the key in the current group,
    // replacing an existing value in place or adding the key at the end of the group.
    void PrefWriteNumber(const QString& key, std::int32_t value);
    void PrefWriteString(const QString& key, const QString& value);
    // Inserts a comment line after the current entry (at the very start when there is none).
    void PrefWriteComment(const QString& text);

    // Key enumeration of the current group: rewind (0 when no file or the group is pending),
    // step to the next key (0 at the next group line or the end), read the trimmed value.
    int PrefRewindKeys();
    int PrefNextKey();
    QString PrefCurrentValue();

    // The names of all group lines in file order (duplicates included).
    QStringList prefGroupNames() const;

    // The path of the bound file (empty when none), for messages.
    QString path() const;

private:
    struct State;
    std::unique_ptr<State> d_;
    QString lastWriteError_;
};

} // namespace glossa
