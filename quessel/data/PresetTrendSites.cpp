#include "PresetTrendSites.h"

#include "quessel/data/CTrendSite.h"
#include "quessel/data/WebProcessScript.h"

namespace quessel {

namespace {

struct Preset
{
    const char16_t* name;
    const char16_t* url;
    const char16_t* judgeStr01;
    const char16_t* judgeStr02;
};

constexpr Preset Presets[] = {
    {u"BIGLOBE", u"https://www.biglobe.ne.jp/", u"https://search.biglobe.ne.jp/cgi-bin/search-top-kk?_btop_kk=", u""},
    {u"@nifty", u"https://www.nifty.com/", u"https://search.nifty.com/", u"type=web_nifty_"},
    {u"livedoor(トピックワード)", u"https://www.livedoor.com/", u"https://www.livedoor.com/rd/search/hot/", u""},
    {u"goo(人気検索ワード)", u"https://www.goo.ne.jp/", u"https://search.goo.ne.jp/web.jsp?from=gootop_nw&", u""},
    {u"MSN Japan", u"https://www.msn.co.jp/", u"/search?q=", u"FORM=JPPOPU&cc=jp"},
};

} // namespace

void InstallPresetTrendSites(CTrendSite& list)
{
    if (list.Count() != 0)
        return;
    // The sites go in through the work record; whatever a dialog left there is put back after.
    const TrendSite saved = TrendSiteWork();
    for (const Preset& preset : Presets) {
        TrendSite site;
        site.Name = QString::fromUtf16(preset.name);
        site.URL = QString::fromUtf16(preset.url);
        site.JudgeStr01 = QString::fromUtf16(preset.judgeStr01);
        site.JudgeStr02 = QString::fromUtf16(preset.judgeStr02);
        site.Process = WebProcessScript::DefaultTrendProcess(site.URL, site.JudgeStr01, site.JudgeStr02);
        TrendSiteWork() = site;
        if (!list.SetWork(1, list.AddTrendSite()))
            break;
    }
    TrendSiteWork() = saved;
}

} // namespace quessel
