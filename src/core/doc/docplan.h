// SPDX-License-Identifier: MIT
#pragma once

#include "doc/docmodel.h"

#include <QList>
#include <QString>

namespace glossa {

// The pages an export writes beside the sources' pages, so that none grows with the whole
// tree: the index (modules and folders with their coverage), one page per module, one per
// folder (its sources and their procedures outside modules) and the A-Z list, one page per
// first letter. A list longer than kPageEntries is split: a letter by its first two letters,
// anything else into numbered pages ("modules/Big", "modules/Big-2").
inline constexpr int kPageEntries = 2000;

// A module's or a folder's count, for the index.
struct GroupCount {
    QString label; // the module's name, or the folder ("sub/deep/", "./" for the top)
    QString page;  // its first page
    int files = 0; // folders only
    int procedures = 0;
    int documented = 0;
    int stale = 0;
};

// A letter of the A-Z bar ("A" to "Z", "_" for names that start with anything else) or a
// two-letter part of a split letter ("Pa", "P_").
struct LetterLink {
    QString key;
    QString page; // its first page; empty when no procedure starts so
};

struct ListPage {
    enum class Kind { Index, Module, Folder, Letter };
    Kind kind = Kind::Index;
    QString name;  // without extension, relative to the output folder, "/" separators
    QString title; // "Index", the module's name, the folder's label, "A", "Pa"
    int group = 0; // the module's or folder's number in the plan; the letter's for Letter
    int pair = -1; // for a split letter, its two-letter part
    int first = 0; // the page of the list's first part (this one's number when not split)
    int part = 1;  // of a numbered split, from 1
    int parts = 1;
    // Index: rows of the plan's modules then folders, numbered from 0. Module and Letter: the
    // procedures listed. Folder: a source (as -1 - its file number) followed by its procedures
    // outside modules.
    QList<int> entries;
};

struct SitePlan {
    QList<ListPage> pages; // the index first
    QList<GroupCount> modules;
    QList<GroupCount> folders;
    QList<LetterLink> letters;      // A to Z, then "_" when a name needs it
    QList<QList<LetterLink>> pairs; // by letter: its two-letter parts when it is split
    QString firstLetterPage;        // where "A-Z" leads: the first letter with procedures
};

// The pages for the catalog (after its finish()). Page names are unique also where the file
// system ignores letter case.
SitePlan planListPages(const Catalog& catalog);

// "sub/deep/" for the folder of the source "sub/deep/a.pb"; "./" for the top.
QString folderLabel(const QString& folder);

} // namespace glossa
