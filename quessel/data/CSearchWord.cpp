#include "CSearchWord.h"

#include "quessel/data/Settings.h"
#include "quessel/util/Beep.h"
#include "quessel/util/Clock.h"
#include "quessel/util/DataFolder.h"
#include "quessel/util/RandomSource.h"
#include "quessel/util/Rounding.h"

#include <orvik/StrConv.h>
#include <orvik/VbDate.h>

#include <QSet>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <numeric>
#include <vector>

namespace quessel {

namespace {

constexpr qint16 MaxUseCount = std::numeric_limits<qint16>::max();
constexpr double FreshAfterDays = 0.5; // a word used longer ago than this counts as fresh
// Passes of the exchange sort run one by one while the candidate walk stays near the front;
// beyond this many the rest of the order is worked out at once.
constexpr size_t StepwisePasses = 64;

// A date that is not a number would have no place in the order of last use; keep it out.
double finiteOrEmpty(double value)
{
    return std::isfinite(value) ? value : EmptyDate;
}

double lastValidDay(const SearchWord& w)
{
    // Dates are kept to the second: round the sum to it before cutting at midnight, or a word
    // registered at 16:00 for a third of a day (".3333333" in the file) would miss its last day
    // by a few milliseconds.
    const double v = w.RegDate + w.ValidDays - 1.0;
    return orvik::vbdate::datePart(std::round(v * 86400.0) / 86400.0);
}

// Position 0 .. count - 1 from one random number, held inside the range whatever a replaced
// source hands out.
int randomPosition(int count)
{
    const double p = std::floor(RandomSource::nextValue() * count);
    if (!(p >= 0))
        return 0;
    if (p >= count)
        return count - 1;
    return int(p);
}

struct SortEntry
{
    double key;
    int index;
};

// One outer pass of the exchange sort over e[from..]: every smaller key met is swapped into
// place `from`, which ends up holding the first of the smallest keys.
void exchangePass(std::vector<SortEntry>& e, size_t from)
{
    for (size_t k = from + 1; k < e.size(); ++k)
        if (e[from].key > e[k].key)
            std::swap(e[from], e[k]);
}

// Counts, over positions, how many have been marked before a given one.
class PositionCounter
{
public:
    explicit PositionCounter(size_t size) : m_tree(size + 1, 0) {}
    void mark(size_t position)
    {
        for (size_t i = position + 1; i < m_tree.size(); i += i & (~i + 1))
            ++m_tree[i];
    }
    size_t markedBefore(size_t position) const
    {
        size_t n = 0;
        for (size_t i = position; i > 0; i -= i & (~i + 1))
            n += m_tree[i];
        return n;
    }

private:
    std::vector<size_t> m_tree;
};

void rotateLeft(std::deque<size_t>& d, size_t steps)
{
    if (d.empty())
        return;
    for (steps %= d.size(); steps > 0; --steps) {
        d.push_back(d.front());
        d.pop_front();
    }
}

// Leaves e[from..] exactly as all remaining passes of the exchange sort would, in
// O(m log m) instead of O(m^2). The keys come out ascending; only the order among equal keys
// takes thought. Take one key v and call the entries with smaller keys L. Each pass puts an L
// in front. When the first v comes before the first L it is carried to that L's place (it
// never passes a smaller key and never swaps with an equal one), and that L no longer
// separates the v's. So, grouping the v's by how many L precede them: start with group 0; for
// each L, move the first v to the back and append the next group. That is the v's final order.
void finishExchangeSort(std::vector<SortEntry>& e, size_t from)
{
    const size_t m = e.size() - from;
    std::vector<size_t> byKey(m);
    std::iota(byKey.begin(), byKey.end(), size_t(0));
    std::stable_sort(byKey.begin(), byKey.end(), [&](size_t a, size_t b) { return e[from + a].key < e[from + b].key; });

    std::vector<SortEntry> out;
    out.reserve(m);
    PositionCounter smaller(m);
    std::deque<size_t> equals;
    for (size_t g = 0; g < m;) {
        size_t end = g + 1;
        while (end < m && e[from + byKey[end]].key == e[from + byKey[g]].key)
            ++end;
        equals.clear();
        size_t passes = 0;
        for (size_t t = g; t < end; ++t) {
            const size_t before = smaller.markedBefore(byKey[t]);
            rotateLeft(equals, before - passes);
            passes = before;
            equals.push_back(byKey[t]);
        }
        rotateLeft(equals, g - passes); // g entries have smaller keys
        for (size_t p : equals)
            out.push_back(e[from + p]);
        for (size_t t = g; t < end; ++t)
            smaller.mark(byKey[t]);
        g = end;
    }
    std::copy(out.begin(), out.end(), e.begin() + qsizetype(from));
}

} // namespace

int CSearchWord::Count() const
{
    return int(m_words.size());
}

int CSearchWord::AddNullWord()
{
    SearchWord w;
    w.RegDate = Clock::now();
    w.ValidDays = appSettings().DefaultValidDays;
    w.LastDate = EmptyDate;
    w.UseCount = 0;
    m_words.append(w);
    return Count();
}

int CSearchWord::AddWord(const QString& word, double validDays)
{
    const QString trimmed = orvik::trimBlanks(word);
    if (trimmed.isEmpty()) {
        Beep::sound();
        return 0;
    }
    int index = FindSearchWord(trimmed);
    if (index == 0)
        index = AddNullWord();
    SearchWord& w = m_words[index - 1];
    w.Word = trimmed;
    w.RegDate = Clock::now();
    if (validDays > EmptyDate)
        w.ValidDays = validDays;
    return index;
}

int CSearchWord::UseWord(const QString& word, bool addIfMissing)
{
    int index = FindSearchWord(word);
    bool added = false;
    if (index == 0 && addIfMissing) {
        const int before = Count();
        index = AddWord(word, EmptyDate);
        added = Count() > before;
    }
    if (index == 0)
        return 0;
    SearchWord& w = m_words[index - 1];
    if (w.UseCount < MaxUseCount)
        ++w.UseCount;
    w.LastDate = Clock::now();
    return added ? -index : index;
}

QString CSearchWord::GetWord(int index) const
{
    return Record(index).Word;
}

QString CSearchWord::Word(int index) const
{
    return Record(index).Word;
}

void CSearchWord::setWord(int index, const QString& word)
{
    if (SearchWord* w = recordForWrite(index))
        w->Word = word;
}

double CSearchWord::RegDate(int index) const
{
    return Record(index).RegDate;
}

void CSearchWord::setRegDate(int index, double value)
{
    if (SearchWord* w = recordForWrite(index))
        w->RegDate = finiteOrEmpty(value);
}

double CSearchWord::ValidDays(int index) const
{
    return Record(index).ValidDays;
}

void CSearchWord::setValidDays(int index, double value)
{
    if (SearchWord* w = recordForWrite(index))
        w->ValidDays = finiteOrEmpty(value);
}

double CSearchWord::LastDate(int index) const
{
    return Record(index).LastDate;
}

void CSearchWord::setLastDate(int index, double value)
{
    if (SearchWord* w = recordForWrite(index))
        w->LastDate = finiteOrEmpty(value);
}

qint16 CSearchWord::UseCount(int index) const
{
    return Record(index).UseCount;
}

void CSearchWord::setUseCount(int index, qint16 value)
{
    if (SearchWord* w = recordForWrite(index))
        w->UseCount = value;
}

const SearchWord& CSearchWord::Record(int index) const
{
    static const SearchWord none{QString(), EmptyDate, EmptyDate, EmptyDate, 0};
    if (!isValidIndex(index)) {
        Beep::sound();
        return none;
    }
    return m_words[index - 1];
}

double CSearchWord::ValidDate(int index) const
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return EmptyDate;
    }
    return lastValidDay(m_words[index - 1]);
}

double CSearchWord::NewDataDate() const
{
    static const double neverSetUpTo = orvik::vbdate::fromParts(1990, 1, 1);
    static const double whenNeverSet = orvik::vbdate::fromParts(2015, 12, 31);
    return m_newDataDate <= neverSetUpTo ? whenNeverSet : m_newDataDate;
}

void CSearchWord::setNewDataDate(double value)
{
    m_newDataDate = finiteOrEmpty(value);
}

bool CSearchWord::IsNewData(int index) const
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return false;
    }
    return m_words[index - 1].RegDate >= NewDataDate();
}

void CSearchWord::DeleteWord(int index)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return;
    }
    m_words.removeAt(index - 1);
}

int CSearchWord::DelTimeoutWord()
{
    const double today = orvik::vbdate::datePart(Clock::now());
    const auto firstGone = std::remove_if(m_words.begin(), m_words.end(),
                                          [today](const SearchWord& w) { return lastValidDay(w) < today; });
    const int removed = int(m_words.end() - firstGone);
    m_words.erase(firstGone, m_words.end());
    return removed;
}

QString CSearchWord::RandomGetWord(double restTime) const
{
    const int count = Count();
    if (count == 0)
        return QString();
    const double now = Clock::now();
    const double today = orvik::vbdate::datePart(now);
    const int start = randomPosition(count);
    for (int step = 0; step < count; ++step) {
        const SearchWord& w = m_words[(start + step) % count];
        if ((restTime < 0 || lastValidDay(w) >= today) && w.LastDate + restTime <= now)
            return w.Word;
    }
    return QString();
}

int CSearchWord::CreateWordList(int n)
{
    m_wordList.clear();
    if (n <= 0)
        return 0;

    // Fresh words, newest registered first; an empty word is not passed over here.
    const double freshBefore = Clock::now() - FreshAfterDays;
    for (qsizetype i = m_words.size() - 1; i >= 0 && m_wordList.size() < n; --i)
        if (m_words[i].LastDate < freshBefore)
            m_wordList.append(m_words[i].Word);
    if (m_wordList.size() >= n)
        return int(m_wordList.size());

    // Then the least recently used, in the order the exchange sort by LastDate leaves them,
    // which differs from a stable sort among equal dates. Its passes run only as far as the
    // walk needs them.
    QSet<QString> taken(m_wordList.cbegin(), m_wordList.cend());
    std::vector<SortEntry> entries(m_words.size());
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i] = {m_words.at(qsizetype(i)).LastDate, int(i)};
    bool sorted = false;
    for (size_t pos = 0; pos < entries.size() && m_wordList.size() < n; ++pos) {
        if (!sorted && pos < StepwisePasses) {
            exchangePass(entries, pos);
        } else if (!sorted) {
            finishExchangeSort(entries, pos);
            sorted = true;
        }
        const QString& word = m_words.at(entries[pos].index).Word;
        if (!word.isEmpty() && !taken.contains(word)) {
            m_wordList.append(word);
            taken.insert(word);
        }
    }
    return int(m_wordList.size());
}

int CSearchWord::GetWordList(QStringList& list) const
{
    list = m_wordList;
    return int(list.size());
}

QString CSearchWord::RandomGetWordList() const
{
    if (m_wordList.isEmpty()) {
        Beep::sound();
        return QString();
    }
    return m_wordList.at(randomPosition(int(m_wordList.size())));
}

FileResult CSearchWord::FileRW(int mode)
{
    const QString path = filePath();
    if (mode == 1) {
        QStringList lines;
        lines.reserve(m_words.size());
        for (const SearchWord& w : m_words)
            lines.append(recordLine(w));
        return Cp932File::writeLines(path, lines);
    }
    if (mode == 0) {
        QStringList lines;
        if (FileResult r = Cp932File::readLines(path, lines); !r)
            return r;
        QList<SearchWord> words;
        words.reserve(lines.size());
        for (const QString& line : lines)
            words.append(parseRecordLine(line));
        m_words = std::move(words);
        return {};
    }
    return FileResult::failure(QStringLiteral("CSearchWord::FileRW: unknown mode %1").arg(mode));
}

int CSearchWord::FindSearchWord(const QString& word) const
{
    for (qsizetype i = 0; i < m_words.size(); ++i)
        if (m_words[i].Word == word)
            return int(i + 1);
    return 0;
}

QString CSearchWord::filePath() const
{
    if (!m_filePath.isEmpty())
        return m_filePath;
    return DataFolder::filePrefix() + QStringLiteral("SearchWord.DAT");
}

void CSearchWord::setFilePath(const QString& path)
{
    m_filePath = path;
}

QString CSearchWord::validDaysText(double validDays)
{
    if (validDays == EmptyDate)
        return QString();
    if (validDays == NumNP)
        return QStringLiteral("NP");
    if (validDays == NumDash)
        return QStringLiteral(u"－");
    if (validDays == 0)
        validDays = 0.0; // no "-0"
    QString text = QString::number(validDays, 'G', 7);
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text.remove(0, 1);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    return (negative ? QLatin1Char('-') : QLatin1Char(' ')) + text;
}

bool CSearchWord::isValidIndex(int index) const
{
    return index >= 1 && index <= Count();
}

SearchWord* CSearchWord::recordForWrite(int index)
{
    if (!isValidIndex(index)) {
        Beep::sound();
        return nullptr;
    }
    return &m_words[index - 1];
}

QString CSearchWord::recordLine(const SearchWord& w)
{
    const QChar tab(QLatin1Char('\t'));
    return FieldToText(w.Word) + tab + FieldToTextDate(w.RegDate) + tab + validDaysText(w.ValidDays) + tab +
           FieldToTextDate(w.LastDate) + tab + FieldToText(int(w.UseCount));
}

SearchWord CSearchWord::parseRecordLine(const QString& line)
{
    QStringList f = SplitFields(line);
    while (f.size() < 5)
        f.append(QString());
    SearchWord w;
    w.Word = f.at(0);
    w.RegDate = TextToDate(f.at(1));
    w.ValidDays = NumValue(f.at(2));
    w.LastDate = TextToDate(f.at(3));
    w.UseCount = toInt16(NumValue(f.at(4)));
    return w;
}

} // namespace quessel
