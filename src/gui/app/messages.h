// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace glossa {

// Where the run's message boxes go. The default shows modal message boxes; tests record them.
class Messages {
public:
    virtual ~Messages() = default;
    // An OK box without an icon (the installation's "Success!").
    virtual void information(QWidget* parent, const QString& title, const QString& text);
    // A warning box: a write that failed, a source that changed, a file that can't be read.
    virtual void warning(QWidget* parent, const QString& title, const QString& text);
    // A Yes/No question, No by default; true for Yes.
    virtual bool confirm(QWidget* parent, const QString& title, const QString& text);
    // A question with the buttons named, the first the default; the index of the button
    // pressed, -1 when the box was closed with Escape.
    virtual int choose(QWidget* parent, const QString& title, const QString& text,
                       const QStringList& buttons);
};

} // namespace glossa
