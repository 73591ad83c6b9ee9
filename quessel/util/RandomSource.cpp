#include "RandomSource.h"

#include "Clock.h"

namespace quessel {

namespace {
RandomSource* g_source = nullptr;
} // namespace

RandomSource* RandomSource::instance()
{
    static SeededRandom programSource(quint64(Clock::instance()->currentDateTime().toMSecsSinceEpoch()));
    return g_source ? g_source : &programSource;
}

void RandomSource::setInstance(RandomSource* source)
{
    g_source = source;
}

SeededRandom::SeededRandom(quint64 seed) : m_engine(seed) {}

double SeededRandom::next()
{
    // 53 random bits: every value is exactly representable and strictly below 1.
    return double(m_engine() >> 11) * (1.0 / 9007199254740992.0);
}

void SeededRandom::reseed(quint64 seed)
{
    m_engine.seed(seed);
}

} // namespace quessel
