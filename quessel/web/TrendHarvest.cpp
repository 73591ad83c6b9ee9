#include "TrendHarvest.h"

#include "CWebProcess.h"

#include "quessel/data/CSearchWord.h"
#include "quessel/util/FieldText.h"
#include "quessel/util/Rounding.h"

namespace quessel {

QStringList TrendHarvest::harvestedWords(const std::function<QString(int)>& memory)
{
    const qint64 count = roundHalfEven(NumValue(memory(CountSlot)));
    QStringList words;
    // The count is whatever text the slot holds; the memory ends at its last slot all the same.
    for (qint64 i = 1; i <= count && CountSlot + i <= CWebProcess::MemoryLast; ++i)
        words << memory(int(CountSlot + i));
    return words;
}

QStringList TrendHarvest::harvestedWords(const CWebProcess& process)
{
    return harvestedWords([&process](int n) { return process.Memory(n); });
}

TrendHarvest::Result TrendHarvest::addToWatchWords(const QStringList& harvested, CSearchWord& words)
{
    Result result;
    for (const QString& word : harvested) {
        if (word.size() > MaxWordLength)
            continue;
        result.taken << word;
        result.displayText += word + QStringLiteral("  ");
        if (words.AddWord(word, EmptyDate) != 0)
            ++result.added;
    }
    return result;
}

} // namespace quessel
