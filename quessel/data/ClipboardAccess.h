#pragma once

#include <QString>

namespace quessel {

// The desktop clipboard as the list classes see it (text only). The program with windows
// provides the real one; tests and the command-line tool provide their own.
class ClipboardAccess
{
public:
    virtual ~ClipboardAccess() = default;
    virtual QString text() const = 0;
    // Replaces whatever the clipboard held.
    virtual void setText(const QString& text) = 0;
};

} // namespace quessel
