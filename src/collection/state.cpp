#include "collection/state.h"

#include <chrono>

void ProgramState::seedRandom() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seq{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32),
                      std::random_device{}()};
    m_random.seed(seq);
}

std::int32_t ProgramState::randomIndex(std::int32_t count) {
    if (count <= 0)
        return 0;
    std::uniform_int_distribution<std::int32_t> dist(0, count - 1);
    return dist(m_random);
}
