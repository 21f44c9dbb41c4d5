// The filter's inner loop for one vector width of doubles. Included (inside an unnamed
// namespace) by each kernel's source file, which supplies V: T, kWidth, Load, Set1, Add, Sub,
// Mul, Min, Max and StoreInt16 (truncating). Every output is summed in the same order
// whatever the width, so all widths give identical results.

template <class V>
void FilterBlocks(const float* taps, const double* trace, int outputs, const FilterLimits& limits,
                  std::int16_t* out) {
    static_assert(kKernelBlock % (4 * V::kWidth) == 0);
    constexpr int kStep = 4 * V::kWidth;
    const auto centre = V::Set1(limits.centre);
    const auto lower = V::Set1(limits.lower);
    const auto upper = V::Set1(limits.upper);
    std::int16_t last[kStep];
    for (int m = 0; m < outputs; m += kStep) {
        auto s0 = V::Set1(0.0);
        auto s1 = s0;
        auto s2 = s0;
        auto s3 = s0;
        const double* at = trace + m + kKernelTaps - 1;
        for (int k = 0; k < kKernelTaps; ++k, --at) {
            const auto tap = V::Set1(taps[k]);
            s0 = V::Add(s0, V::Mul(tap, V::Load(at)));
            s1 = V::Add(s1, V::Mul(tap, V::Load(at + V::kWidth)));
            s2 = V::Add(s2, V::Mul(tap, V::Load(at + 2 * V::kWidth)));
            s3 = V::Add(s3, V::Mul(tap, V::Load(at + 3 * V::kWidth)));
        }
        std::int16_t* to = m + kStep <= outputs ? out + m : last;
        const auto limited = [&](auto sum) {
            return V::Min(V::Max(V::Sub(centre, sum), lower), upper);
        };
        V::StoreInt16(to, limited(s0));
        V::StoreInt16(to + V::kWidth, limited(s1));
        V::StoreInt16(to + 2 * V::kWidth, limited(s2));
        V::StoreInt16(to + 3 * V::kWidth, limited(s3));
        for (int j = 0; to == last && m + j < outputs; ++j) {
            out[m + j] = last[j];
        }
    }
}
