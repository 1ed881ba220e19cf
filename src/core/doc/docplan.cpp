// SPDX-License-Identifier: MIT
#include "doc/docplan.h"

#include <QHash>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace glossa {

namespace {

QString folderOf(const QString& source) {
    const qsizetype slash = source.lastIndexOf(u'/');
    return slash < 0 ? QString() : source.left(slash);
}

ListPage makePage(ListPage::Kind kind, const QString& name, const QString& title, int group,
                  int pair = -1) {
    ListPage page;
    page.kind = kind;
    page.name = name;
    page.title = title;
    page.group = group;
    page.pair = pair;
    return page;
}

// A page for each part of at most kPageEntries entries, the first under name, the others
// numbered from 2.
void addPages(SitePlan& plan, ListPage page, const QList<int>& entries) {
    page.first = int(plan.pages.size());
    page.parts = std::max(1, int((entries.size() + kPageEntries - 1) / kPageEntries));
    const QString base = page.name;
    for (int part = 1; part <= page.parts; ++part) {
        page.part = part;
        page.name = part == 1 ? base : base + u'-' + QString::number(part);
        page.entries = entries.mid(qsizetype(part - 1) * kPageEntries, kPageEntries);
        plan.pages.append(page);
    }
}

// Whether Windows keeps the page's file name for a device ("CON.html", "modules/lpt1.html"):
// there the page couldn't be written, and a link to it would open the device.
bool isWindowsDeviceName(QStringView page) {
    QStringView stem = page.sliced(page.lastIndexOf(u'/') + 1);
    stem = stem.left(stem.indexOf(u'.')); // "aux.d" is AUX too; left(-1) is all of it
    static const QSet<QString> kDevices{u"con"_s, u"prn"_s, u"aux"_s, u"nul"_s};
    if (stem.size() == 4 && (stem.startsWith(u"com", Qt::CaseInsensitive) ||
                             stem.startsWith(u"lpt", Qt::CaseInsensitive)))
        return stem[3] >= u'0' && stem[3] <= u'9';
    return kDevices.contains(stem.toString().toLower());
}

// base, or base~2, base~3, ...: the first whose pages (base, base-2, ...) no other page has,
// letter case ignored. A device's name is never one: its number goes before the first dot
// ("aux.d" becomes "aux~2.d"), since Windows reads only the part before it.
QString uniqueBase(const QString& base, qsizetype entries, QSet<QString>& taken) {
    const qsizetype parts = std::max<qsizetype>(1, (entries + kPageEntries - 1) / kPageEntries);
    const bool device = isWindowsDeviceName(base);
    qsizetype numberAt = base.size();
    if (device) {
        const qsizetype dot = base.indexOf(u'.', base.lastIndexOf(u'/') + 1);
        numberAt = dot < 0 ? base.size() : dot;
    }
    for (int n = device ? 2 : 1;; ++n) {
        QString candidate = base;
        if (n > 1)
            candidate.insert(numberAt, u'~' + QString::number(n));
        QStringList names{candidate.toLower()};
        for (qsizetype part = 2; part <= parts; ++part)
            names << names.first() + u'-' + QString::number(part);
        if (std::none_of(names.begin(), names.end(),
                         [&](const QString& name) { return taken.contains(name); })) {
            for (const QString& name : names)
                taken.insert(name);
            return candidate;
        }
    }
}

void planModules(const Catalog& catalog, SitePlan& plan) {
    const QList<Catalog::Procedure>& all = catalog.procedures();
    QHash<QString, int> numbers; // lower-case name
    QList<QList<int>> members;
    for (int i = 0; i < all.size(); ++i) {
        const Catalog::Procedure& p = all[i];
        if (p.module.isEmpty() || p.leftOut)
            continue;
        auto found = numbers.constFind(p.module.toLower());
        if (found == numbers.constEnd()) {
            found = numbers.insert(p.module.toLower(), int(plan.modules.size()));
            GroupCount added;
            added.label = p.module;
            plan.modules.append(added);
            members.append(QList<int>());
        }
        GroupCount& count = plan.modules[*found];
        ++count.procedures;
        count.documented += p.documented ? 1 : 0;
        count.stale += p.stale ? 1 : 0;
        members[*found].append(i);
    }
    QList<int> order(plan.modules.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return plan.modules[a].label.compare(plan.modules[b].label, Qt::CaseInsensitive) < 0;
    });
    QList<GroupCount> sorted;
    QSet<QString> taken;
    for (const int m : order) {
        // Public procedures first, each kind in source order.
        QList<int>& list = members[m];
        std::stable_partition(list.begin(), list.end(), [&](int i) { return all[i].isPublic; });
        plan.modules[m].page =
            uniqueBase(u"modules/"_s + plan.modules[m].label, list.size(), taken);
        addPages(plan,
                 makePage(ListPage::Kind::Module, plan.modules[m].page, plan.modules[m].label,
                          int(sorted.size())),
                 list);
        sorted.append(plan.modules[m]);
    }
    plan.modules = sorted;
}

void planFolders(const Catalog& catalog, SitePlan& plan) {
    QMap<QString, QList<int>> files; // by folder, sorted; a source without a page is left out
    for (int f = 0; f < catalog.files().size(); ++f) {
        if (catalog.files()[f].shown > 0)
            files[folderOf(catalog.files()[f].source)].append(f);
    }
    QSet<QString> taken;
    for (auto it = files.begin(); it != files.end(); ++it) {
        QList<int>& list = it.value();
        std::sort(list.begin(), list.end(), [&](int a, int b) {
            return catalog.files()[a].source < catalog.files()[b].source;
        });
        GroupCount count;
        count.label = folderLabel(it.key());
        QList<int> entries;
        for (const int f : list) {
            const Catalog::File& file = catalog.files()[f];
            ++count.files;
            count.procedures += file.shown;
            count.documented += file.documented;
            count.stale += file.stale;
            entries.append(-1 - f);
            for (int i = file.first; i < file.first + file.count; ++i) {
                if (catalog.procedures()[i].module.isEmpty())
                    entries.append(i);
            }
        }
        const QString slug = it.key().isEmpty() ? u"top"_s : QString(it.key()).replace(u'/', u'-');
        count.page = uniqueBase(u"folders/"_s + slug, entries.size(), taken);
        addPages(
            plan,
            makePage(ListPage::Kind::Folder, count.page, count.label, int(plan.folders.size())),
            entries);
        plan.folders.append(count);
    }
}

// "A" to "Z" for a name that starts with a letter, else "_"; with second, the two-letter key.
QString letterKey(const QString& name, bool second) {
    auto key = [&](qsizetype at, bool upper) -> QChar {
        const QChar c = at < name.size() ? name[at] : QChar();
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
            return upper ? c.toUpper() : c.toLower();
        return u'_';
    };
    QString out(key(0, true));
    if (second)
        out += key(1, false);
    return out;
}

// The procedures shown, by name (letter case ignored), then module and position.
QList<int> alphabeticalOrder(const Catalog& catalog) {
    const QList<Catalog::Procedure>& all = catalog.procedures();
    QList<int> order;
    order.reserve(all.size());
    for (int i = 0; i < all.size(); ++i) {
        if (!all[i].leftOut)
            order.append(i);
    }
    // Folded once, not at each of the sort's comparisons.
    QList<QString> names(all.size());
    for (int i = 0; i < all.size(); ++i)
        names[i] = all[i].name.toCaseFolded();
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (const int c = names[a].compare(names[b]); c != 0)
            return c < 0;
        return all[a].module.compare(all[b].module, Qt::CaseInsensitive) < 0;
    });
    return order;
}

// Keys in the bar's order: letters, then "_".
bool keyBefore(const QString& a, const QString& b) {
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i])
            return b[i] == u'_' || (a[i] != u'_' && a[i] < b[i]);
    }
    return a.size() < b.size();
}

void planLetters(const Catalog& catalog, SitePlan& plan) {
    QMap<QString, QList<int>> byLetter;
    for (const int i : alphabeticalOrder(catalog))
        byLetter[letterKey(catalog.procedures()[i].name, false)].append(i);
    for (char16_t c = u'A'; c <= u'Z'; ++c)
        plan.letters.append(LetterLink{QString(QChar(c)), QString()});
    if (byLetter.contains(u"_"_s))
        plan.letters.append(LetterLink{u"_"_s, QString()});
    plan.pairs.resize(plan.letters.size());
    for (int letter = 0; letter < plan.letters.size(); ++letter) {
        LetterLink& link = plan.letters[letter];
        const QList<int> entries = byLetter.value(link.key);
        if (entries.isEmpty())
            continue;
        link.page = u"a-z/"_s + link.key;
        if (entries.size() <= kPageEntries) {
            addPages(plan, makePage(ListPage::Kind::Letter, link.page, link.key, letter), entries);
            continue;
        }
        QMap<QString, QList<int>> byPair;
        for (const int i : entries)
            byPair[letterKey(catalog.procedures()[i].name, true)].append(i);
        QStringList keys = byPair.keys();
        std::sort(keys.begin(), keys.end(), keyBefore);
        for (const QString& key : keys) {
            const int pair = int(plan.pairs[letter].size());
            plan.pairs[letter].append(LetterLink{key, u"a-z/"_s + key});
            addPages(plan, makePage(ListPage::Kind::Letter, u"a-z/"_s + key, key, letter, pair),
                     byPair[key]);
        }
        link.page = plan.pairs[letter].first().page;
    }
    const auto first = std::find_if(plan.letters.begin(), plan.letters.end(),
                                    [](const LetterLink& l) { return !l.page.isEmpty(); });
    if (first != plan.letters.end()) {
        plan.firstLetterPage = first->page;
        return;
    }
    // Nothing to list: the A page says so.
    plan.letters[0].page = plan.firstLetterPage = u"a-z/A"_s;
    addPages(plan, makePage(ListPage::Kind::Letter, plan.firstLetterPage, u"A"_s, 0), {});
}

} // namespace

QString folderLabel(const QString& folder) {
    return folder.isEmpty() ? u"./"_s : folder + u'/';
}

SitePlan planListPages(const Catalog& catalog) {
    SitePlan plan;
    // The index's rows are known only after the modules and folders: it comes first all the
    // same.
    SitePlan lists;
    planModules(catalog, lists);
    planFolders(catalog, lists);
    planLetters(catalog, lists);
    QList<int> rows(lists.modules.size() + lists.folders.size());
    std::iota(rows.begin(), rows.end(), 0);
    addPages(plan, makePage(ListPage::Kind::Index, u"index"_s, u"Index"_s, 0), rows);
    const int shift = int(plan.pages.size());
    for (ListPage page : lists.pages) {
        page.first += shift;
        plan.pages.append(page);
    }
    plan.modules = lists.modules;
    plan.folders = lists.folders;
    plan.letters = lists.letters;
    plan.pairs = lists.pairs;
    plan.firstLetterPage = lists.firstLetterPage;
    return plan;
}

} // namespace glossa
