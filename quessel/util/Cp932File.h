#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quessel {

// The outcome of a file operation: callers must look at it.
struct [[nodiscard]] FileResult
{
    bool ok = true;
    QString errorText; // a sentence for the user, naming the file and the system's reason

    explicit operator bool() const { return ok; }
    static FileResult failure(const QString& text) { return {false, text}; }
};

// The list files: code page 932 text, one record a line.
//
// Reading takes CR LF, LF and CR as line ends; a last line without one counts. Invalid byte
// sequences read as U+FFFD and the rest still loads. "&#N;" stands for a character that code
// page 932 cannot hold; it is read back as that character (a reference to a character the
// code page can hold is ordinary text and stays as it is, so every file reads back unchanged).
//
// Writing ends every line with CR LF and replaces the file atomically: a failed or interrupted
// write leaves the old file as it was.
namespace Cp932File {

FileResult readLines(const QString& path, QStringList& lines, bool* existed = nullptr);
FileResult writeLines(const QString& path, const QStringList& lines);

QByteArray encodeLines(const QStringList& lines);
QStringList decodeLines(const QByteArray& bytes);

QString decodeText(const QByteArray& bytes); // with the "&#N;" references resolved
QByteArray encodeText(const QString& text);  // with "&#N;" for what the code page lacks

} // namespace Cp932File

} // namespace quessel
