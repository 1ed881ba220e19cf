#pragma once

#include <QString>

class QWidget;

namespace glossa {

// Where the run's message boxes go. The default shows modal message boxes; tests record them.
class Messages {
public:
    virtual ~Messages() = default;
    // An OK box without an icon (the installation's "Success!").
    virtual void Information(QWidget* parent, const QString& title, const QString& text);
    // A warning box: a write that failed, a source that changed, a file that can't be read.
    virtual void Warning(QWidget* parent, const QString& title, const QString& text);
    // A Yes/No question, No by default; true for Yes.
    virtual bool Confirm(QWidget* parent, const QString& title, const QString& text);
};

} // namespace glossa
