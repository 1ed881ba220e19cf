// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <utility>

namespace glossa {

// How an operation that can fail ended: ok, or why not in the user's words ("No space left on
// device"). The one way the core reports a failure; the caller decides how to show it.
struct Result {
    bool ok = false;
    QString reason;

    static Result success() { return {true, {}}; }
    static Result failure(QString reason) { return {false, std::move(reason)}; }
    explicit operator bool() const { return ok; }
};

} // namespace glossa
