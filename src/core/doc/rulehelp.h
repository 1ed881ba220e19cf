// SPDX-License-Identifier: MIT
#pragma once

#include "doc/sourcereport.h"

#include <QString>

namespace glossa {

// What a rule finds and why it matters, in a paragraph (SARIF's fullDescription).
QString ruleFullDescription(CheckRule rule);
// How to mend a finding of the rule, and how to keep a procedure as it is, as Markdown (SARIF's
// help.markdown) and as plain text (help.text).
QString ruleHelpMarkdown(CheckRule rule);
QString ruleHelpText(CheckRule rule);

} // namespace glossa
