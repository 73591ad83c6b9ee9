#pragma once

#include "quessel/data/ClipboardAccess.h"
#include "quessel/data/SiteNameClash.h"
#include "quessel/util/Cp932File.h"
#include "quessel/util/FieldText.h"

#include <QList>
#include <QString>

namespace quessel {

// One page whose links carry popular words.
struct TrendSite
{
    QString Name;
    QString URL;
    double LastRun = EmptyDate; // when words were last harvested
    QString JudgeStr01;         // text a harvested link's address must contain; empty: any
    QString JudgeStr02;         // a second such text; empty: not tested
    QString Process;            // the web process script, stored as it is

    bool operator==(const TrendSite&) const = default;
};

// The record through which the trend-site dialog and wizard read a site and write it back.
TrendSite& TrendSiteWork();

// The trend-site list, indexed from 1 as the grid's "№" column counts; stored in "TrendSite.DAT".
//
// A site is written in two layouts with the same six fields in different orders:
//   file line ("TrendSite.DAT"): Name, URL, JudgeStr01, JudgeStr02, LastRun, Process
//   exchange line (clipboard):   Name, URL, LastRun, JudgeStr01, JudgeStr02, Process
// Each has its own writer and reader below; they must never be swapped.
class CTrendSite
{
public:
    static constexpr int MaxCount = 32767; // the 16-bit index

    int Count() const;
    // Appends a new site and returns its index; 0 (with a beep) when the list is full.
    int AddTrendSite();
    // A bad index only beeps; returns whether a site was removed.
    bool DeleteSite(int index);
    // Mode 0 copies site `index` into TrendSiteWork(), any other mode copies it back.
    // A bad index only beeps; returns whether anything was copied.
    bool SetWork(int mode, int index);

    // Reading with a bad index gives an empty site; writing with one only beeps.
    const TrendSite& Site(int index) const;
    QString Name(int index) const;
    void setName(int index, const QString& name);
    QString URL(int index) const;
    double LastRun(int index) const;
    void setLastRun(int index, double lastRun);

    // First index whose name equals `name` exactly, or 0.
    int FindTrendSite(const QString& name) const;

    // Exchange layout.
    QString GetStrTrendSiteInfo(int index) const;
    static QString ExchangeLine(const TrendSite& site);
    static TrendSite ParseTrendSiteInfo(const QString& text);

    // File layout.
    static QString FileLine(const TrendSite& site);
    static TrendSite ParseFileLine(const QString& text);

    // Mode 1 writes the whole list, mode 0 replaces it by the file's (a missing file gives an
    // empty list). On a failure the list and the file stay as they were.
    FileResult FileRW(int mode);
    // The file FileRW uses; an empty path means the data folder's "TrendSite.DAT", looked up
    // each time FileRW runs.
    void setFilePath(const QString& path);
    QString filePath() const;

    // Puts the site, without its LastRun, on the clipboard as exchange text. A bad index beeps.
    bool Copy_TrendSiteInfo(int index, ClipboardAccess& clipboard) const;
    bool Clipboard_IsTrendSiteInfo(const ClipboardAccess& clipboard) const;
    // Adds or replaces one site from the clipboard: 1 when the list changed, else 0 (with a
    // beep when the clipboard holds no trend site).
    int Paste_TrendSiteInfo(ClipboardAccess& clipboard, SiteNameClashPrompt& prompt);
    // Where an incoming site goes: Count() + 1 to append (its Name possibly changed to a
    // "【改名NN】" name), the index of the site it replaces, or 0 to drop it.
    int ResolveSiteNameClash(TrendSite& site, SiteNameClashPrompt& prompt) const;

private:
    bool isValidIndex(int index) const;

    QList<TrendSite> m_sites; // site n at n - 1
    QString m_filePath;
};

} // namespace quessel
