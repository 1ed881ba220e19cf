// SPDX-License-Identifier: MIT
#pragma once

#include "doc/docmodel.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace glossa {

// The search's index, search-index.js: a script that sets the global glossaIndex (a script, not
// data to fetch, so that pages opened from file:// load it too) to
//   {"pages":["one.pb.html",...],"procedures":[[name,module,page,anchor,summary],...]}
// page: a number into pages, which are links from the top of the output folder; anchor: empty
// when it is the usual one (Module::Name, or Name outside modules); summary: the first sentence
// of the summary as plain text. The procedures come in the order the search keeps for equal
// matches: shorter names first, then by name (letter case ignored), then by module. Procedures
// left out of the pages or whose page was not written are left out. False when the device
// refuses a write.
bool writeSearchIndex(const Catalog& catalog, QIODevice& device);

// The first sentence of a plain text: up to the first ".", "!" or "?" that ends the text or
// comes before a blank.
QString firstSentence(const QString& text);

// The search's script, glossa.js.
QByteArray searchScript();

} // namespace glossa
