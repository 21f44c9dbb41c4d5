// ThreadSanitizer of this toolchain does not intercept pthread_mutex_clocklock, which
// std::timed_mutex::try_lock_for uses; a lock taken through it is invisible to the
// sanitizer and every access it guards is reported as a race. This definition takes
// precedence over the C library's and waits through pthread_mutex_timedlock, which the
// sanitizer does intercept.
#include <pthread.h>

#include <cerrno>
#include <ctime>

namespace {

constexpr long kNsPerSecond = 1'000'000'000;

// The same deadline on the real-time clock that pthread_mutex_timedlock waits against.
timespec OnRealtimeClock(clockid_t clock, const timespec& deadline) {
    if (clock == CLOCK_REALTIME) return deadline;
    timespec now{}, realNow{};
    clock_gettime(clock, &now);
    clock_gettime(CLOCK_REALTIME, &realNow);
    long long left =
        (deadline.tv_sec - now.tv_sec) * kNsPerSecond + (deadline.tv_nsec - now.tv_nsec);
    if (left < 0) left = 0;
    long long total = realNow.tv_nsec + left;
    return {static_cast<time_t>(realNow.tv_sec + total / kNsPerSecond),
            static_cast<long>(total % kNsPerSecond)};
}

} // namespace

extern "C" int pthread_mutex_clocklock(pthread_mutex_t* mutex, clockid_t clock,
                                       const timespec* deadline) {
    if (clock != CLOCK_REALTIME && clock != CLOCK_MONOTONIC) return EINVAL;
    const timespec real = OnRealtimeClock(clock, *deadline);
    return pthread_mutex_timedlock(mutex, &real);
}
