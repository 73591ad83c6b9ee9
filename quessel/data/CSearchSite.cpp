#include "CSearchSite.h"

#include "quessel/data/ExchangeText.h"
#include "quessel/util/Beep.h"
#include "quessel/util/Clock.h"
#include "quessel/util/DataFolder.h"
#include "quessel/util/Rounding.h"

#include <orvik/StrConv.h>
#include <orvik/VbDate.h>

#include <QDir>

#include <algorithm>
#include <cmath>

namespace quessel {

namespace {

constexpr int FieldCount = 16;
const QString PayloadKind = QStringLiteral("SearchSite");

constexpr qint64 SecondsPerDay = 86400;
constexpr qint64 MsPerSecond = 1000;
constexpr qint64 MsPerDay = SecondsPerDay * MsPerSecond;

// The desktop's date values span the years 100 to 9999. A corrupt value outside is pinned there
// so the integer arithmetic below cannot overflow.
constexpr double MinDateValue = -657434.0;
constexpr double MaxDateValue = 2958466.0;

double pinned(double value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, MinDateValue, MaxDateValue);
}

// A moment as whole seconds on a continuous scale. Below zero a date value's fraction still
// counts forwards from midnight (-1.25 is 06:00 the day before), so it cannot just be scaled.
qint64 momentSeconds(double value)
{
    value = pinned(value);
    const qint64 days = qint64(orvik::vbdate::datePart(value));
    const qint64 seconds = std::llround(orvik::vbdate::timePart(value) * double(SecondsPerDay));
    return days * SecondsPerDay + seconds;
}

// Durations and times of day compared to the millisecond: the day values of two moments a
// whole number of seconds apart rarely differ by exactly that many seconds' worth of a double,
// and an interval that has just run out must count as run out.
qint64 durationMs(double days)
{
    return std::llround(pinned(days) * double(MsPerDay));
}

qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int zoneOfHour(qint16 timeZoneType, int hour)
{
    switch (timeZoneType) {
    case 2:
        return hour;
    case 3:
        return hour / 6;
    case 4:
        return hour / 12;
    case 5:
        return hour / 8;
    default:
        return 0; // 1 "時間帯なし", 6 "ｶｽﾀﾏｲｽﾞ" and anything else: one zone per day
    }
}

int hourOfSeconds(qint64 seconds)
{
    const qint64 timeOfDay = seconds - floorDiv(seconds, SecondsPerDay) * SecondsPerDay;
    return int(timeOfDay / 3600);
}

// A pasted or imported site is someone else's text: no line break may reach the grid, the
// dialogs or the one-line record.
QString oneLine(QString text)
{
    for (QChar& c : text) {
        switch (c.unicode()) {
        case u'\n':
        case u'\v':
        case u'\f':
        case u'\r':
        case 0x0085:
        case 0x2028:
        case 0x2029:
            c = QLatin1Char(' ');
            break;
        default:
            break;
        }
    }
    return text;
}

QString elapsedText(qint64 ms)
{
    return orvik::vbdate::format(double(ms) / double(MsPerDay), QStringLiteral("h:nn:ss"));
}

const SearchSite& emptySite()
{
    static const SearchSite site;
    return site;
}

} // namespace

SearchSite& SearchSiteWork()
{
    static SearchSite work;
    return work;
}

int CSearchSite::Count() const
{
    return int(m_sites.size());
}

int CSearchSite::AddSearchSite()
{
    if (Count() >= MaxCount) {
        Beep::sound();
        return 0;
    }
    m_sites.append(SearchSite());
    return Count();
}

bool CSearchSite::DeleteSite(int index)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return false;
    }
    m_sites.removeAt(index - 1);
    return true;
}

bool CSearchSite::SetWork(int mode, int index)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return false;
    }
    if (mode == 0)
        SearchSiteWork() = m_sites.at(index - 1);
    else
        m_sites[index - 1] = SearchSiteWork();
    return true;
}

const SearchSite& CSearchSite::Site(int index) const
{
    return isValidIndex(index) ? m_sites.at(index - 1) : emptySite();
}

bool CSearchSite::setSite(int index, const SearchSite& site)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return false;
    }
    m_sites[index - 1] = site;
    return true;
}

QString CSearchSite::Name(int index) const
{
    return Site(index).Name;
}

void CSearchSite::setName(int index, const QString& name)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return;
    }
    m_sites[index - 1].Name = name;
}

QString CSearchSite::URL(int index) const
{
    return Site(index).URL;
}

double CSearchSite::LastRun(int index) const
{
    return Site(index).LastRun;
}

qint16 CSearchSite::BatchSearchSW(int index) const
{
    return isValidIndex(index) ? m_sites.at(index - 1).BatchSearchSW : qint16(0);
}

void CSearchSite::setBatchSearchSW(int index, qint16 value)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return;
    }
    m_sites[index - 1].BatchSearchSW = value;
}

QString CSearchSite::Process(int index) const
{
    return Site(index).Process;
}

void CSearchSite::setProcess(int index, const QString& process)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return;
    }
    m_sites[index - 1].Process = process;
}

int CSearchSite::FindSearchSite(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_sites.at(i).Name == name)
            return i + 1;
    return 0;
}

QString CSearchSite::GetStrSearchSiteInfo(int index) const
{
    return isValidIndex(index) ? recordLine(m_sites.at(index - 1)) : QString();
}

QString CSearchSite::recordLine(const SearchSite& s)
{
    const QStringList fields{
        FieldToText(s.Name),
        FieldToText(s.URL),
        FieldToText(s.KeywordID),
        FieldToText(s.Reserved1),
        FieldToTextDate(s.LastRun),
        FieldToText(s.Process),
        FieldToTextDate(s.DayChangeTime),
        FieldToText(s.DayMaxN),
        FieldToText(s.DayN),
        FieldToText(s.TimeZoneMaxN),
        FieldToText(s.TimeZoneN),
        FieldToText(s.TimeZoneType),
        FieldToText(s.Reserved2),
        FieldToTextDate(s.UseInterval),
        FieldToText(s.BatchSearch),
        FieldToText(s.BatchSearchSW),
    };
    return fields.join(QLatin1Char('\t'));
}

SearchSite CSearchSite::ParseSearchSiteInfo(const QString& text)
{
    const QStringList fields = SplitFields(text);
    auto field = [&](int n) { return n <= fields.size() ? fields.at(n - 1) : QString(); };
    auto number = [&](int n) { return toInt16(NumValue(field(n))); };

    SearchSite s;
    s.Name = oneLine(field(1));
    s.URL = oneLine(field(2));
    s.KeywordID = oneLine(field(3));
    s.Reserved1 = oneLine(field(4));
    s.LastRun = TextToDate(field(5));
    s.Process = oneLine(field(6));
    s.DayChangeTime = TextToDate(field(7));
    s.DayMaxN = number(8);
    s.DayN = number(9);
    s.TimeZoneMaxN = number(10);
    s.TimeZoneN = number(11);
    s.TimeZoneType = number(12);
    s.Reserved2 = oneLine(field(13));
    s.UseInterval = TextToDate(field(14));
    s.BatchSearch = number(15);
    if (s.BatchSearch < 1 || s.BatchSearch > 3)
        s.BatchSearch = 1;
    s.BatchSearchSW = number(FieldCount) != 0 ? 1 : 0;
    return s;
}

FileResult CSearchSite::FileRW(int mode)
{
    const QString path = filePath();
    if (mode == 1) {
        QStringList lines;
        lines.reserve(m_sites.size());
        for (const SearchSite& site : std::as_const(m_sites))
            lines.append(recordLine(site));
        return Cp932File::writeLines(path, lines);
    }
    if (mode != 0)
        return FileResult::failure(QStringLiteral("FileRW: 不明なモード %1").arg(mode));

    QStringList lines;
    bool existed = false;
    const FileResult read = Cp932File::readLines(path, lines, &existed);
    if (!read)
        return read;
    if (!existed) {
        m_sites.clear();
        return {};
    }
    if (lines.size() > MaxCount)
        return FileResult::failure(
            QStringLiteral("%1 の行が多すぎます（%2 行まで）").arg(QDir::toNativeSeparators(path)).arg(MaxCount));
    QList<SearchSite> sites;
    sites.reserve(lines.size());
    for (const QString& line : std::as_const(lines))
        sites.append(ParseSearchSiteInfo(line));
    m_sites = std::move(sites);
    return {};
}

void CSearchSite::setFilePath(const QString& path)
{
    m_filePath = path;
}

QString CSearchSite::filePath() const
{
    return m_filePath.isEmpty() ? DataFolder::filePrefix() + QStringLiteral("SearchSite.DAT") : m_filePath;
}

double CSearchSite::DayKey(int index, double moment) const
{
    const qint64 t = momentSeconds(moment);
    const qint64 dayChange = durationMs(Site(index).DayChangeTime);
    qint64 day = floorDiv(t, SecondsPerDay);
    const qint64 timeOfDayMs = (t - day * SecondsPerDay) * MsPerSecond;
    if (timeOfDayMs < dayChange)
        --day;
    return double(day);
}

int CSearchSite::GetTimeZoneNo(int index, double moment) const
{
    return zoneOfHour(Site(index).TimeZoneType, hourOfSeconds(momentSeconds(moment)));
}

double CSearchSite::TimeZoneKey(int index, double moment) const
{
    // Zones are cut on a clock that starts the day at the site's day change time.
    const qint64 shifted = momentSeconds(moment) - durationMs(Site(index).DayChangeTime) / MsPerSecond;
    const qint64 day = floorDiv(shifted, SecondsPerDay);
    const int zone = zoneOfHour(Site(index).TimeZoneType, hourOfSeconds(shifted));
    return double(day) + zone / 24.0;
}

bool CSearchSite::IsToday(int index, double moment) const
{
    return DayKey(index, moment) == DayKey(index, Clock::now());
}

bool CSearchSite::IsTimeZone(int index, double moment) const
{
    return TimeZoneKey(index, moment) == TimeZoneKey(index, Clock::now());
}

bool CSearchSite::IsNoRule(int index) const
{
    const SearchSite& s = Site(index);
    return !(s.DayMaxN > 0 || s.TimeZoneMaxN > 0 || s.TimeZoneType > 1 || durationMs(s.UseInterval) >= MsPerSecond);
}

QString CSearchSite::Note(int index) const
{
    if (!isValidIndex(index))
        return QString();
    const SearchSite& s = m_sites.at(index - 1);
    QString note;

    const qint64 interval = durationMs(s.UseInterval);
    if (interval > MsPerSecond) {
        const qint64 elapsed = durationMs(Clock::now() - s.LastRun);
        if (elapsed >= interval) {
            note += QStringLiteral(" ・時間間隔[");
            note += elapsed >= MsPerDay ? QStringLiteral("Over 24H") : elapsedText(elapsed);
        } else {
            note += QStringLiteral(" ▼時間間隔[") + elapsedText(elapsed);
        }
        note += QLatin1Char(']');
    }

    const int dayCount = IsToday(index, s.LastRun) ? s.DayN : 0;
    if (s.DayMaxN != 0)
        note += QStringLiteral(" %1日検索(%2/%3)")
                    .arg(dayCount < s.DayMaxN ? QStringLiteral("☆") : QStringLiteral("・"))
                    .arg(dayCount)
                    .arg(s.DayMaxN);
    else
        note += QStringLiteral(" ・日検索:%1").arg(dayCount);

    if (s.TimeZoneMaxN > 0 && s.TimeZoneType > 0) {
        const int zoneCount = IsTimeZone(index, s.LastRun) ? s.TimeZoneN : 0;
        note += QStringLiteral(" %1時間帯検索(%2/%3)")
                    .arg(zoneCount < s.TimeZoneMaxN ? QStringLiteral("☆") : QStringLiteral("・"))
                    .arg(zoneCount)
                    .arg(s.TimeZoneMaxN);
    }
    return orvik::trimBlanks(note);
}

bool CSearchSite::GetSearchSW(int index) const
{
    if (!isValidIndex(index))
        return false;
    switch (m_sites.at(index - 1).BatchSearch) {
    case 1:
        return true;
    case 3: {
        if (IsNoRule(index))
            return true;
        const QString note = Note(index);
        return note.contains(QStringLiteral("☆")) && !note.contains(QStringLiteral("▼"));
    }
    default:
        return false;
    }
}

void CSearchSite::SearchAction(int index)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return;
    }
    // Both tests look at the previous search, so they come before LastRun moves.
    const bool sameDay = IsToday(index, m_sites.at(index - 1).LastRun);
    const bool sameZone = IsTimeZone(index, m_sites.at(index - 1).LastRun);
    SearchSite& s = m_sites[index - 1];
    s.DayN = toInt16((sameDay ? s.DayN : 0) + 1.0);
    s.TimeZoneN = toInt16((sameZone ? s.TimeZoneN : 0) + 1.0);
    s.LastRun = Clock::now();
}

bool CSearchSite::Copy_SearchSiteInfo(int index, ClipboardAccess& clipboard) const
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return false;
    }
    SearchSite site = m_sites.at(index - 1);
    site.DayN = 0;
    site.TimeZoneN = 0;
    site.LastRun = EmptyDate;
    clipboard.setText(EncodeExchangeText(PayloadKind + QLatin1Char('\t') + recordLine(site)));
    return true;
}

bool CSearchSite::Clipboard_IsSearchSiteInfo(const ClipboardAccess& clipboard) const
{
    return DecodeExchangeText(clipboard.text()).startsWith(PayloadKind);
}

int CSearchSite::Paste_SearchSiteInfo(ClipboardAccess& clipboard, SiteNameClashPrompt& prompt)
{
    if (!Clipboard_IsSearchSiteInfo(clipboard)) {
        Beep::sound();
        return 0;
    }
    SearchSite site = ParseSearchSiteInfo(DecodeExchangeText(clipboard.text()).mid(PayloadKind.size() + 1));
    const int index = ResolveSiteNameClash(site, prompt);
    if (index == 0)
        return 0;
    return storeAt(index, site) ? 1 : 0;
}

bool CSearchSite::Export_SearchSiteInfo(const QString& fileName, const QList<int>& indexes, FileResult* ioResult) const
{
    auto fail = [&](const QString& text) {
        if (ioResult)
            *ioResult = FileResult::failure(text);
        return false;
    };
    if (indexes.isEmpty())
        return fail(QStringLiteral("エクスポートする検索サイトがありません"));
    QStringList lines;
    lines.reserve(indexes.size());
    for (int index : indexes) {
        if (!isValidIndex(index))
            return fail(QStringLiteral("検索サイトの番号 %1 がありません").arg(index));
        SearchSite site = m_sites.at(index - 1);
        site.DayN = 0;
        site.TimeZoneN = 0;
        lines.append(recordLine(site));
    }
    // Written whole or not at all: a failed export leaves no half file behind.
    const FileResult written = Cp932File::writeLines(fileName, lines);
    if (ioResult)
        *ioResult = written;
    return written.ok;
}

int CSearchSite::Import_SearchSiteInfo(const QString& fileName, SiteNameClashPrompt& prompt, FileResult* ioResult)
{
    QStringList lines;
    bool existed = false;
    FileResult read = Cp932File::readLines(fileName, lines, &existed);
    if (read && !existed)
        read = FileResult::failure(QStringLiteral("%1 が見つかりません").arg(QDir::toNativeSeparators(fileName)));
    if (ioResult)
        *ioResult = read;
    if (!read)
        return 0;

    int stored = 0;
    for (const QString& line : std::as_const(lines)) {
        SearchSite site = ParseSearchSiteInfo(line);
        site.DayN = 0;
        site.TimeZoneN = 0;
        const int index = ResolveSiteNameClash(site, prompt);
        if (index != 0 && storeAt(index, site))
            ++stored;
    }
    return stored;
}

int CSearchSite::ResolveSiteNameClash(SearchSite& site, SiteNameClashPrompt& prompt) const
{
    return quessel::ResolveSiteNameClash(
        site.Name, Count(), [this](const QString& name) { return FindSearchSite(name); }, prompt,
        SiteNameClashPrompt::SearchSiteList);
}

bool CSearchSite::isValidIndex(int index) const
{
    return index >= 1 && index <= Count();
}

bool CSearchSite::storeAt(int index, const SearchSite& site)
{
    if (index == Count() + 1 && Count() < MaxCount) {
        m_sites.append(site);
        return true;
    }
    if (!isValidIndex(index)) {
        Beep::sound();
        return false;
    }
    m_sites[index - 1] = site;
    return true;
}

} // namespace quessel
