// Colour-grade shading with 256-bit vectors, used when the processor has them.
#include "grade_shading_kernel.h"

#include <immintrin.h>

namespace tracekit::detail {
namespace {

struct Cells256 {
    using T = __m256i;
    static constexpr int kWidth = 8;
    static T Set1(std::uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
    static T Load(const std::uint32_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const T*>(p));
    }
    static void Store(std::uint32_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<T*>(p), v); }
    static bool AllZero(T v) { return _mm256_testz_si256(v, v) != 0; }
    static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
    static T Greater(T a, T b) { return _mm256_cmpgt_epi32(a, b); }
    static T Zero(T v) { return _mm256_cmpeq_epi32(v, _mm256_setzero_si256()); }
    static T Select(T when, T yes, T no) { return _mm256_blendv_epi8(no, yes, when); }
};

} // namespace

void ShadeGradeRowWide(const std::uint32_t* cells, std::uint32_t* pixels, int count,
                       const GradeThresholds& thresholds) {
    ShadeGradeRowWith<Cells256>(cells, pixels, count, thresholds, ShadeGradeRowBaseline);
}

} // namespace tracekit::detail
