#pragma once

#include "quessel/data/ClipboardAccess.h"
#include "quessel/data/SiteNameClash.h"
#include "quessel/util/Cp932File.h"
#include "quessel/util/FieldText.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace quessel {

// One web search portal and the rules that limit how often batch searches use it. The member
// order is the field order of a record line and must not change.
struct SearchSite
{
    QString Name;      // the site's identity when pasting or importing
    QString URL;       // the page on which a search starts
    QString KeywordID; // id or name of the keyword box on that page
    QString Reserved1; // carried through unchanged
    double LastRun = EmptyDate;
    QString Process;          // the web process script, stored as it is
    double DayChangeTime = 0; // time of day at which the site's day begins
    qint16 DayMaxN = 0;       // 0: no daily limit
    qint16 DayN = 0;          // searches in the site day of LastRun
    qint16 TimeZoneMaxN = 0;  // 0: no limit per time zone
    qint16 TimeZoneN = 0;     // searches in the time zone of LastRun
    qint16 TimeZoneType = 1;  // 1 none, 2 hourly, 3 six-hourly, 4 twelve-hourly, 5 eight-hourly, 6 custom
    QString Reserved2;        // carried through unchanged
    double UseInterval = 0;   // minimum time between two searches
    qint16 BatchSearch = 1;   // 1 always, 2 never, 3 as the rules allow
    qint16 BatchSearchSW = 1; // the tick in the grid's "一括" column

    bool operator==(const SearchSite&) const = default;
};

// The record through which the property dialog and the wizard read a site and write it back.
SearchSite& SearchSiteWork();

// The search-site list, indexed from 1 as the grid's "№" column counts; stored in "SearchSite.DAT"
// one record line per site. Also answers, from a site's rules and the clock, whether batch
// searches may use the site now.
class CSearchSite
{
public:
    static constexpr int MaxCount = 32767; // the 16-bit index

    int Count() const;
    // Appends a new site and returns its index; 0 (with a beep) when the list is full.
    int AddSearchSite();
    // A bad index only beeps; returns whether a site was removed.
    bool DeleteSite(int index);
    // Mode 0 copies site `index` into SearchSiteWork(), any other mode copies it back.
    // A bad index only beeps; returns whether anything was copied.
    bool SetWork(int mode, int index);

    // Reading with a bad index gives an empty site; writing with one only beeps.
    const SearchSite& Site(int index) const;
    bool setSite(int index, const SearchSite& site);
    QString Name(int index) const;
    void setName(int index, const QString& name);
    QString URL(int index) const;
    double LastRun(int index) const;
    qint16 BatchSearchSW(int index) const;
    void setBatchSearchSW(int index, qint16 value);
    QString Process(int index) const;
    void setProcess(int index, const QString& process);

    // First index whose name equals `name` exactly, or 0.
    int FindSearchSite(const QString& name) const;

    // The site as one record line, without line end.
    QString GetStrSearchSiteInfo(int index) const;
    static QString recordLine(const SearchSite& site);
    // Reads a record line; never fails. Missing fields are empty, BatchSearch outside 1..3 is 1,
    // BatchSearchSW is 0 or 1, numbers beyond 16 bits are clamped, and line breaks inside text
    // fields become blanks (the text may come from the clipboard).
    static SearchSite ParseSearchSiteInfo(const QString& text);

    // Mode 1 writes the whole list, mode 0 replaces it by the file's (a missing file gives an
    // empty list). On a failure the list and the file stay as they were.
    FileResult FileRW(int mode);
    // The file FileRW uses; an empty path means the data folder's "SearchSite.DAT", looked up
    // each time FileRW runs.
    void setFilePath(const QString& path);
    QString filePath() const;

    // Rules. `moment` is a date-time value; "now" is the clock's current second.
    bool IsToday(int index, double moment) const;
    int GetTimeZoneNo(int index, double moment) const;
    bool IsTimeZone(int index, double moment) const;
    bool IsNoRule(int index) const;
    // The 備考 text: its "☆" (room under a limit) and "▼" (interval pending) marks are also
    // what GetSearchSW decides by.
    QString Note(int index) const;
    bool GetSearchSW(int index) const;
    // Counts one completed search on the site; the caller writes the file.
    void SearchAction(int index);

    // Puts the site, without its counters and LastRun, on the clipboard as exchange text.
    // A bad index beeps.
    bool Copy_SearchSiteInfo(int index, ClipboardAccess& clipboard) const;
    bool Clipboard_IsSearchSiteInfo(const ClipboardAccess& clipboard) const;
    // Adds or replaces one site from the clipboard: 1 when the list changed, else 0 (with a
    // beep when the clipboard holds no search site).
    int Paste_SearchSiteInfo(ClipboardAccess& clipboard, SiteNameClashPrompt& prompt);
    // Writes the sites' record lines (counters 0, LastRun kept) to an exchange file. False, with
    // nothing written, for an empty or bad index list or when the file cannot be written; the
    // reason then goes to `ioResult` when given.
    bool Export_SearchSiteInfo(const QString& fileName, const QList<int>& indexes,
                               FileResult* ioResult = nullptr) const;
    // Adds or replaces the sites of an exchange file, one per line, and returns how many were
    // stored. A file that cannot be read stores nothing and its reason goes to `ioResult`.
    int Import_SearchSiteInfo(const QString& fileName, SiteNameClashPrompt& prompt, FileResult* ioResult = nullptr);
    // Where an incoming site goes: Count() + 1 to append (its Name possibly changed to a
    // "【改名NN】" name), the index of the site it replaces, or 0 to drop it.
    int ResolveSiteNameClash(SearchSite& site, SiteNameClashPrompt& prompt) const;

private:
    bool isValidIndex(int index) const;
    // Puts an incoming site at the index ResolveSiteNameClash gave, growing the list by one
    // when it is just past the end.
    bool storeAt(int index, const SearchSite& site);

    // The site day of a moment, and a value naming its site day and time zone (compared for
    // equality only).
    double DayKey(int index, double moment) const;
    double TimeZoneKey(int index, double moment) const;

    QList<SearchSite> m_sites; // site n at n - 1
    QString m_filePath;
};

} // namespace quessel
