#include "quessel/data/Settings.h"

#include <orvik/CRegistry.h>
#include <orvik/VbDate.h>

#include <QByteArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace quessel {

namespace {

const QString AppName = QStringLiteral("Quessel");

// Text forms in the registry. They are fixed rather than taken from the locale, so a settings
// file reads the same on every desktop:
// - booleans "True" / "False"; read also as any number (nonzero is true), case ignored;
// - integers in decimal; a value beyond the member's range is clamped to that range, since the
//   nearest value the program can hold is the closest to what the user meant;
// - singles and doubles in plain decimal with "." (the shortest text that reads back to the same
//   value); exponents are accepted when reading; a single beyond its range does not convert;
// - date-times below one day (and not negative) as "h:nn:ss", others as "yyyy/mm/dd hh:nn:ss";
//   read also as "yyyy/mm/dd", "h:nn" or a plain day count within the calendar (years 100 to
//   9999).
// Blanks around a text are ignored. Text that does not convert gives the value's default.

QString toText(bool v)
{
    return v ? QStringLiteral("True") : QStringLiteral("False");
}

QString toText(qint16 v)
{
    return QString::number(v);
}

QString toText(qint32 v)
{
    return QString::number(v);
}

template <typename Real>
QString realText(Real v)
{
    char buf[512]; // the longest fixed form of a double (its smallest subnormal) takes about 330
    std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (r.ec != std::errc())
        r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, r.ptr - buf);
}

QString toText(float v)
{
    return realText(v);
}

QString toText(double v)
{
    return realText(v);
}

QString toText(const QString& v)
{
    return v;
}

template <typename Real>
bool realFromText(const QString& text, Real* v)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-')
            return false;
    }
    Real r{};
    const auto [end, ec] = std::from_chars(first, last, r);
    if (ec != std::errc() || end != last || !std::isfinite(r))
        return false;
    *v = r;
    return true;
}

bool fromText(const QString& text, float* v)
{
    return realFromText(text, v);
}

bool fromText(const QString& text, double* v)
{
    return realFromText(text, v);
}

bool fromText(const QString& text, bool* v)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        *v = true;
        return true;
    }
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        *v = false;
        return true;
    }
    double d = 0;
    if (!realFromText(t, &d))
        return false;
    *v = d != 0;
    return true;
}

template <typename Int>
bool intFromText(const QString& text, Int* v)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) {
        negative = t.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == t.size())
        return false;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (t.at(j) < QLatin1Char('0') || t.at(j) > QLatin1Char('9'))
            return false;
    }
    using Limits = std::numeric_limits<Int>;
    bool ok = false;
    const qlonglong magnitude = t.mid(i).toLongLong(&ok); // fails only beyond 64 bits
    qlonglong n = 0;
    if (!ok)
        n = negative ? std::numeric_limits<qlonglong>::min() : std::numeric_limits<qlonglong>::max();
    else
        n = negative ? -magnitude : magnitude;
    *v = Int(std::clamp<qlonglong>(n, Limits::min(), Limits::max()));
    return true;
}

bool fromText(const QString& text, qint16* v)
{
    return intFromText(text, v);
}

bool fromText(const QString& text, qint32* v)
{
    return intFromText(text, v);
}

bool fromText(const QString& text, QString* v)
{
    *v = text;
    return true;
}

// Day counts of 100/01/01 and of the day after 9999/12/31: the calendar a date-time may hold.
constexpr double FirstDate = -657434.0;
constexpr double EndDate = 2958466.0;

bool inCalendar(double v)
{
    return v > FirstDate - 1.0 && v < EndDate;
}

QString dateText(double v)
{
    // A value the calendar cannot show is written as its number, which reads back as the default.
    if (!std::isfinite(v) || !inCalendar(v))
        return realText(v);
    if (v >= 0 && std::llround(v * 86400.0) < 86400)
        return orvik::vbdate::format(v, QStringLiteral("h:nn:ss"));
    return orvik::vbdate::format(v, QStringLiteral("yyyy/mm/dd hh:nn:ss"));
}

bool dateFromText(const QString& text, double* v)
{
    double d = 0;
    if (orvik::vbdate::parse(text, &d) || (realFromText(text, &d) && inCalendar(d))) {
        *v = d;
        return true;
    }
    return false;
}

class Reader
{
public:
    explicit Reader(orvik::CRegistry& reg) : m_reg(reg) {}

    void locate(orvik::eRegistLocate where) { m_reg.SetRegistLocate(where, AppName); }

    template <typename T>
    void value(const QString& section, const QString& name, T& v, const QString& defaultText)
    {
        if (!fromText(m_reg.GetSetting(section, name, defaultText), &v))
            fromText(defaultText, &v);
    }

    void date(const QString& section, const QString& name, double& v, const QString& defaultText)
    {
        if (!dateFromText(m_reg.GetSetting(section, name, defaultText), &v))
            dateFromText(defaultText, &v);
    }

private:
    orvik::CRegistry& m_reg;
};

class Writer
{
public:
    explicit Writer(orvik::CRegistry& reg) : m_reg(reg) {}

    void locate(orvik::eRegistLocate where) { m_reg.SetRegistLocate(where, AppName); }

    template <typename T>
    void value(const QString& section, const QString& name, const T& v, const QString&)
    {
        m_reg.SaveSetting(section, name, toText(v));
    }

    void date(const QString& section, const QString& name, double v, const QString&)
    {
        m_reg.SaveSetting(section, name, dateText(v));
    }

private:
    orvik::CRegistry& m_reg;
};

// The one list of values, shared by reading and writing so both walk the same names in the same
// order. The last argument of each entry is the default as the registry text.
template <typename Io, typename S>
void visitSettings(Io& io, S& s)
{
    auto L = [](const char* text) { return QString::fromUtf8(text); };

    io.locate(orvik::erlMachine);

    QString sec = L("Settings");
    io.value(sec, L("WindowTopMost"), s.WindowTopMost, L("False"));
    io.value(sec, L("OpaqueRateMain"), s.OpaqueRateMain, L("100"));
    io.value(sec, L("DebugFlag"), s.DebugFlag, L("0"));
    io.value(sec, L("ViewPartsFlag"), s.ViewPartsFlag, L("1"));
    io.value(sec, L("IeItemAutoUpdate"), s.IeItemAutoUpdate, L("0"));
    io.value(sec, L("PrinterName"), s.PrinterName, QString());
    io.value(sec, L("PrnOffsetX"), s.PrnOffsetX, L("0"));
    io.value(sec, L("PrnOffsetY"), s.PrnOffsetY, L("0"));
    io.value(sec, L("PrnScale"), s.PrnScale, L("100"));
    io.value(sec, L("PrnOrientation"), s.PrnOrientation, L("0"));
    io.value(sec, L("OrderListDateWidth"), s.OrderListDateWidth, L("0"));
    io.value(sec, L("AnalyzeView"), s.AnalyzeView, L("0"));
    io.value(sec, L("AnalyzeWidth"), s.AnalyzeWidth, L("0"));
    io.value(sec, L("CurrentUserInfoID"), s.CurrentUserInfoID, L("0"));
    io.value(sec, L("StartClipBoardMode"), s.StartClipBoardMode, L("False"));
    io.value(sec, L("GetTrendWaitTime"), s.GetTrendWaitTime, L("120"));

    sec = L("WebMemory");
    io.value(sec, L("Weg_LogoutItemNo"), s.Weg_LogoutItemNo, L("-1"));

    sec = L("PositionIE");
    io.value(sec, L("WebPage_Left"), s.WebPage_Left, L("0"));
    io.value(sec, L("WebPage_Top"), s.WebPage_Top, L("0"));
    io.value(sec, L("WebPage_Width"), s.WebPage_Width, L("1024"));
    io.value(sec, L("WebPage_Height"), s.WebPage_Height, L("750"));

    sec = L("SetBrowser");
    io.value(sec, L("BrowserUnloadClose"), s.BrowserUnloadClose, L("True"));
    io.value(sec, L("OtherClose"), s.OtherClose, L("True"));
    io.value(sec, L("ProcessFinishURL"), s.ProcessFinishURL, L("1"));
    io.value(sec, L("DeleteSpecifyTime"), s.DeleteSpecifyTime, L("24"));
    io.value(sec, L("AfterAutoWebView"), s.AfterAutoWebView, L("False"));
    io.value(sec, L("Restart"), s.Restart, L("False"));
    io.value(sec, L("ViewFinishHide"), s.ViewFinishHide, L("False"));
    io.value(sec, L("WebViewTime1"), s.WebViewTime1, L("10"));
    io.value(sec, L("WebViewTime2"), s.WebViewTime2, L("60"));
    io.value(sec, L("WebViewTime3"), s.WebViewTime3, L("3"));
    io.date(sec, L("NextPlayTime"), s.NextPlayTime, L("2099/12/31"));
    io.value(sec, L("WebPatrolN"), s.WebPatrolN, L("0"));

    sec = L("Sound");
    io.value(sec, L("SoundClipBoard"), s.SoundClipBoard, QString());

    io.locate(orvik::erlUser);

    sec = L("Settings");
    io.date(sec, L("ShutDownWaitTime"), s.ShutDownWaitTime, L("0:01:01"));

    sec = L("SearchWoed");
    io.value(sec, L("DefaultValidDays"), s.DefaultValidDays, L("10"));
    io.date(sec, L("LastTrendWordCollect"), s.LastTrendWordCollect, L("0"));
    io.value(sec, L("IssuedSearchWord"), s.IssuedSearchWord, L("1"));

    sec = L("Setting_Action");
    io.value(sec, L("AutoSearchRepeat"), s.AutoSearchRepeat, L("True"));
    io.value(sec, L("RepeatMaxN"), s.RepeatMaxN, L("30"));
    io.value(sec, L("SearchInterval"), s.SearchInterval, L("10"));
    io.value(sec, L("SearchInterval2"), s.SearchInterval2, L("20"));
    io.value(sec, L("SearchWatch"), s.SearchWatch, L("False"));
    io.value(sec, L("AutoSearchStartTime"), s.AutoSearchStartTime, L("3"));
    io.value(sec, L("AutoShutDownTime"), s.AutoShutDownTime, L("30"));

    sec = L("Setting_Option");
    io.value(sec, L("InternetExplorerMax"), s.InternetExplorerMax, L("1"));
    io.value(sec, L("RepeatN"), s.RepeatN, L("0"));
    io.value(sec, L("RepeatInterval"), s.RepeatInterval, L("5"));
    io.value(sec, L("StatusClear"), s.StatusClear, L("False"));
    io.value(sec, L("DelCookies"), s.DelCookies, L("False"));
    for (int i = 0; i < 5; ++i) {
        const QString prefix = i == 0 ? QString() : QString::number(i);
        io.value(sec, prefix + L("ReportMailAddress"), s.ReportMailAddress[i], QString());
        io.value(sec, prefix + L("ReportDisplayName"), s.ReportDisplayName[i],
                 L("巡回管理者") + QString::number(i + 1));
    }
    io.value(sec, L("ReportStartMail"), s.ReportStartMail, L("False"));
    io.value(sec, L("ReportEndMail"), s.ReportEndMail, L("False"));
    io.value(sec, L("ReportErrorMaxN"), s.ReportErrorMaxN, L("20"));
}

} // namespace

void LoadSettings(Settings& s)
{
    orvik::CRegistry reg;
    Reader reader(reg);
    visitSettings(reader, s);
}

void SaveSettings(const Settings& s)
{
    orvik::CRegistry reg;
    Writer writer(reg);
    visitSettings(writer, s);
}

Settings& appSettings()
{
    static Settings settings;
    return settings;
}

} // namespace quessel
