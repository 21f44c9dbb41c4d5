// How many times longer the program tests allow for what they wait on: the thread build sets
// OXBOW_TEST_TIME_SCALE for the checker's slowdown; 1 otherwise.
#pragma once

#include <cstdlib>

namespace oxapp::test {

inline int TestTimeScale() {
    static const int scale = [] {
        const char* value = std::getenv("OXBOW_TEST_TIME_SCALE");
        const int parsed = value != nullptr ? std::atoi(value) : 1;
        return parsed >= 1 ? parsed : 1;
    }();
    return scale;
}

inline int ScaledMs(int ms) {
    return ms * TestTimeScale();
}

} // namespace oxapp::test
