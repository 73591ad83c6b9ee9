#pragma once

#include <QtGlobal>

#include <random>

namespace quessel {

// Uniform pseudo-random numbers in [0, 1), one source for the whole program so that tests
// can seed or replace it.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;

    // The program's source: seeded from the clock on first use unless a test set another.
    static RandomSource* instance();
    // nullptr restores the program's own source. The caller keeps ownership.
    static void setInstance(RandomSource* source);
    static double nextValue() { return instance()->next(); }
};

class SeededRandom : public RandomSource
{
public:
    explicit SeededRandom(quint64 seed);
    double next() override;
    void reseed(quint64 seed);

private:
    std::mt19937_64 m_engine;
};

} // namespace quessel
