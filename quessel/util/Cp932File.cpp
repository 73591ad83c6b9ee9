#include "Cp932File.h"

#include <orvik/StrConv.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace quessel::Cp932File {

QString decodeText(const QByteArray& bytes)
{
    QString text = orvik::fromCp932(bytes);
    if (!text.contains(QLatin1String("&#")))
        return text;
    static const QRegularExpression reference(QStringLiteral("&#([0-9]{1,7});"));
    QString out;
    out.reserve(text.size());
    qsizetype last = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const uint cp = m.capturedView(1).toUInt();
        const bool valid = cp > 0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!valid || orvik::isCp932Encodable(char32_t(cp)))
            continue;
        out.append(QStringView(text).mid(last, m.capturedStart() - last));
        const char32_t c = char32_t(cp);
        out.append(QString::fromUcs4(&c, 1));
        last = m.capturedEnd();
    }
    out.append(QStringView(text).mid(last));
    return out;
}

QByteArray encodeText(const QString& text)
{
    return orvik::toCp932(text, orvik::Unmappable::CharacterReference);
}

QStringList decodeLines(const QByteArray& bytes)
{
    QStringList lines;
    const QString text = decodeText(bytes);
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

QByteArray encodeLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes.append(encodeText(line));
        bytes.append("\r\n");
    }
    return bytes;
}

FileResult readLines(const QString& path, QStringList& lines, bool* existed)
{
    lines.clear();
    QFile file(path);
    if (existed)
        *existed = file.exists();
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return FileResult::failure(
            QStringLiteral("%1 を読めません: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileResult::failure(
            QStringLiteral("%1 を読めません: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    lines = decodeLines(bytes);
    return {};
}

FileResult writeLines(const QString& path, const QStringList& lines)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileResult::failure(
            QStringLiteral("%1 に書き込めません: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = encodeLines(lines);
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return FileResult::failure(
            QStringLiteral("%1 に書き込めません: %2").arg(QDir::toNativeSeparators(path), reason));
    }
    if (!file.commit())
        return FileResult::failure(
            QStringLiteral("%1 に書き込めません: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return {};
}

} // namespace quessel::Cp932File
