#pragma once

#include <QString>

namespace quessel {

// The "basp21" codec object: standard Base64 over the code page 932 bytes of a text.
class Base64Codec
{
public:
    // Mode 0 encodes; mode 1 decodes and gives ok = false for a body that is not Base64.
    QString Base64(const QString& text, int mode = 0, bool* ok = nullptr) const;
};

// The clipboard form of one site: "*START*" + Base64("*start*" + payload + "**end**") + "**END**".
QString EncodeExchangeText(const QString& payload);
// The payload of an exchange text, or "*ERROR*". Accepts other text around the outer markers
// and blanks, hyphens, line breaks and full-width letters inside.
QString DecodeExchangeText(const QString& text);

inline const QString ExchangeError = QStringLiteral("*ERROR*");

} // namespace quessel
