#include "PresetSearchSites.h"

#include "quessel/data/CSearchSite.h"
#include "quessel/data/WebProcessScript.h"

namespace quessel {

namespace {

struct Preset
{
    const char16_t* name;
    const char16_t* url;
    const char16_t* keywordId;
    qint16 batchSearch;
    qint16 dayMaxN;
};

} // namespace

void InstallPresetSearchSites(CSearchSite& list)
{
    if (list.Count() != 0)
        return;
    static const Preset presets[] = {
        {u"MSN Japan", u"https://www.msn.co.jp/", u"q", 2, 0},
        {u"Google", u"https://www.google.co.jp/", u"q", 2, 0},
        {u"楽天ウェブ検索(山分けポイント)", u"https://websearch.rakuten.co.jp/SimpleTop", u"qt", 3, 30},
    };
    for (const Preset& p : presets) {
        const int index = list.AddSearchSite();
        if (index == 0)
            return;
        SearchSite site = list.Site(index);
        site.Name = QString::fromUtf16(p.name);
        site.URL = QString::fromUtf16(p.url);
        site.KeywordID = QString::fromUtf16(p.keywordId);
        site.BatchSearch = p.batchSearch;
        site.DayMaxN = p.dayMaxN;
        site.Process = WebProcessScript::DefaultSearchProcess(site.URL, site.KeywordID);
        list.setSite(index, site);
    }
}

} // namespace quessel
