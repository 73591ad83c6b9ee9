#include <orvik/StrConv.h>

#include <QHash>

#include <cerrno>
#include <iconv.h>
#include <mutex>
#include <vector>

namespace orvik {

namespace {

// Full-width forms in the order of the half-width katakana block U+FF61..U+FF9F.
const QString& fullWidthKanaOrder()
{
    static const QString order = QStringLiteral(
        u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨ"
        u"ラリルレロワン゛゜");
    return order;
}

const QHash<char16_t, char16_t>& kanaToHalf()
{
    static const QHash<char16_t, char16_t> map = [] {
        QHash<char16_t, char16_t> m;
        const QString& full = fullWidthKanaOrder();
        for (qsizetype i = 0; i < full.size(); ++i)
            m.insert(full.at(i).unicode(), char16_t(0xFF61 + i));
        m.insert(u'\u3099', u'\uFF9E'); // combining voiced mark
        m.insert(u'\u309A', u'\uFF9F'); // combining semi-voiced mark
        return m;
    }();
    return map;
}

void appendNarrowKana(QString& out, QChar c)
{
    const auto& map = kanaToHalf();
    auto direct = map.constFind(c.unicode());
    if (direct != map.constEnd()) {
        out.append(QChar(*direct));
        return;
    }
    // Voiced katakana decompose into base + combining mark; both halves have half-width forms.
    const QString parts = QString(c).normalized(QString::NormalizationForm_D);
    if (parts.size() == 2 && map.contains(parts.at(0).unicode()) && map.contains(parts.at(1).unicode())) {
        out.append(QChar(map.value(parts.at(0).unicode())));
        out.append(QChar(map.value(parts.at(1).unicode())));
        return;
    }
    out.append(c); // ヮ, ヰ, ヱ, ヵ, ヶ have no half-width form
}

// Code page 932 through glibc iconv, one character at a time, remembered per character: lists
// hold a few thousand distinct characters at most, so the tables stay small and the conversion
// of a large list runs at table speed. Guarded for use from any thread.
class Cp932Tables
{
public:
    Cp932Tables()
        : m_encoder(iconv_open("CP932", "UTF-32LE")), m_decoder(iconv_open("UTF-16LE", "CP932")),
          m_decoded(0x10000, NotComputed)
    {}
    ~Cp932Tables()
    {
        if (m_encoder != iconv_t(-1))
            iconv_close(m_encoder);
        if (m_decoder != iconv_t(-1))
            iconv_close(m_decoder);
    }

    // Empty when code page 932 has no byte sequence for the code point.
    QByteArray encode(char32_t cp)
    {
        std::lock_guard guard(m_lock);
        auto it = m_encoded.constFind(cp);
        if (it != m_encoded.constEnd())
            return *it;
        QByteArray bytes;
        char in[4] = {char(cp & 0xFF), char((cp >> 8) & 0xFF), char((cp >> 16) & 0xFF), char((cp >> 24) & 0xFF)};
        char buf[8];
        char* inp = in;
        size_t inLeft = sizeof in;
        char* outp = buf;
        size_t outLeft = sizeof buf;
        iconv(m_encoder, nullptr, nullptr, nullptr, nullptr);
        const size_t rc = iconv(m_encoder, &inp, &inLeft, &outp, &outLeft);
        if (rc == 0) // rc > 0 would be a lossy "best fit", which must not pass for a real mapping
            bytes = QByteArray(buf, int(outp - buf));
        m_encoded.insert(cp, bytes);
        return bytes;
    }

    // The UTF-16 unit for one (1- or 2-byte) code, or Invalid.
    char32_t decode(quint16 code, int len)
    {
        std::lock_guard guard(m_lock);
        char32_t& slot = m_decoded[code];
        if (slot != NotComputed)
            return slot;
        char in[2] = {char(len == 2 ? code >> 8 : code), char(code & 0xFF)};
        char16_t buf[4];
        char* inp = in;
        size_t inLeft = size_t(len);
        char* outp = reinterpret_cast<char*>(buf);
        size_t outLeft = sizeof buf;
        iconv(m_decoder, nullptr, nullptr, nullptr, nullptr);
        const size_t rc = iconv(m_decoder, &inp, &inLeft, &outp, &outLeft);
        const auto units = reinterpret_cast<char16_t*>(outp) - buf;
        slot = (rc == size_t(-1) || units != 1) ? Invalid : char32_t(buf[0]);
        return slot;
    }

    static constexpr char32_t NotComputed = 0xFFFFFFFF;
    static constexpr char32_t Invalid = 0xFFFFFFFE;

private:
    std::mutex m_lock;
    iconv_t m_encoder;
    iconv_t m_decoder;
    QHash<char32_t, QByteArray> m_encoded;
    std::vector<char32_t> m_decoded; // single bytes at 0x00XX, double bytes at lead << 8 | trail
};

Cp932Tables& tables()
{
    static Cp932Tables t;
    return t;
}

} // namespace

QString narrow(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            out.append(QChar(char16_t(u - 0xFF01 + 0x21)));
        else if (u == 0x3000)
            out.append(QLatin1Char(' '));
        else if ((u >= 0x30A1 && u <= 0x30FC) || u == 0x3001 || u == 0x3002 || u == 0x300C || u == 0x300D ||
                 u == 0x309B || u == 0x309C)
            appendNarrowKana(out, c);
        else
            out.append(c);
    }
    return out;
}

QString trimBlanksLeft(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

QString trimBlanksRight(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == QLatin1Char(' '))
        --n;
    return text.left(n);
}

QString trimBlanks(const QString& text)
{
    return trimBlanksLeft(trimBlanksRight(text));
}

bool isBlank(const QString& text)
{
    for (QChar c : text)
        if (c != QLatin1Char(' '))
            return false;
    return true;
}

bool isCp932Encodable(char32_t codePoint)
{
    return codePoint < 0x80 || !tables().encode(codePoint).isEmpty();
}

QByteArray toCp932(const QString& text, Unmappable how)
{
    Cp932Tables& t = tables();
    QByteArray out;
    out.reserve(text.size() * 2);
    const QList<uint> points = text.toUcs4();
    for (uint cp : points) {
        if (cp < 0x80) { // ASCII is identical in code page 932
            out.append(char(cp));
            continue;
        }
        const QByteArray bytes = t.encode(char32_t(cp));
        if (!bytes.isEmpty())
            out.append(bytes);
        else if (how == Unmappable::CharacterReference)
            out.append("&#" + QByteArray::number(cp) + ';');
        else
            out.append('?');
    }
    return out;
}

QString fromCp932(const QByteArray& bytes)
{
    Cp932Tables& t = tables();
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            out.append(QChar(char16_t(b)));
            ++p;
            continue;
        }
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        char32_t u = Cp932Tables::Invalid;
        int used = 1;
        if (!lead)
            u = t.decode(b, 1);
        else if (p + 1 < end) {
            u = t.decode(quint16(b << 8 | p[1]), 2);
            used = 2;
        }
        if (u == Cp932Tables::Invalid) {
            out.append(QChar(u'\uFFFD'));
            ++p; // resynchronise on the next byte: a bad lead byte must not swallow an ASCII one
            continue;
        }
        out.append(QChar(char16_t(u)));
        p += used;
    }
    return out;
}

} // namespace orvik
