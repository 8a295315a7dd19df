#pragma once

#include <QVector>
#include <cstdint>
#include <random>

namespace fin {

// Deterministic on every platform: only the engine's raw output is used.
class TRandom {
public:
    explicit TRandom(unsigned seed) : engine_(seed) {}
    int Int(int lo, int hi) { return lo + int(engine_() % std::uint32_t(hi - lo + 1)); }
    qint64 Cents(qint64 lo, qint64 hi) {
        const std::uint64_t span = std::uint64_t(hi - lo + 1);
        const std::uint64_t r = (std::uint64_t(engine_()) << 32) | engine_();
        return lo + qint64(r % span);
    }
    bool Chance(int percent) { return Int(1, 100) <= percent; }
    template <class T>
    const T& Pick(const QVector<T>& v) {
        return v[Int(0, int(v.size()) - 1)];
    }

private:
    std::mt19937 engine_;
};

}  // namespace fin
