// The transform stages for one vector width. Included (inside an unnamed namespace) by each
// kernel's source file, which supplies the vector type V: T, kWidth, Load, Store, Add, Sub, Mul.
// Each butterfly does exactly the described single-precision operations in the same order, so
// every width gives identical numbers.

template <class V>
struct Complex {
    typename V::T re;
    typename V::T im;
};

template <class V>
Complex<V> LoadComplex(const FftWork& work, int at) {
    return {V::Load(work.re + at), V::Load(work.im + at)};
}

template <class V>
void StoreComplex(FftWork& work, int at, const Complex<V>& value) {
    V::Store(work.re + at, value.re);
    V::Store(work.im + at, value.im);
}

// (s, r) -> (s + r, (s - r) w)
template <class V>
void Butterfly(Complex<V>& s, Complex<V>& r, typename V::T wRe, typename V::T wIm) {
    const auto dRe = V::Sub(s.re, r.re);
    const auto dIm = V::Sub(s.im, r.im);
    s.re = V::Add(s.re, r.re);
    s.im = V::Add(s.im, r.im);
    r.re = V::Sub(V::Mul(dRe, wRe), V::Mul(dIm, wIm));
    r.im = V::Add(V::Mul(dRe, wIm), V::Mul(dIm, wRe));
}

// Butterfly of two real values: the imaginary parts are zero, so only the real products remain.
template <class V>
Complex<V> RealButterfly(typename V::T& s, typename V::T r, typename V::T wRe, typename V::T wIm) {
    const auto d = V::Sub(s, r);
    s = V::Add(s, r);
    return {V::Mul(d, wRe), V::Mul(d, wIm)};
}

// The first two stages (half-spans 1024 and 512) on the real input.
template <class V>
void FirstStages(const FftTables& tables, FftWork& work) {
    constexpr int kQuarter = kTransformSize / 4;
    const float* firstRe = tables.stageRe.data() + StageOffset(2 * kQuarter);
    const float* firstIm = tables.stageIm.data() + StageOffset(2 * kQuarter);
    const float* secondRe = tables.stageRe.data() + StageOffset(kQuarter);
    const float* secondIm = tables.stageIm.data() + StageOffset(kQuarter);
    for (int j = 0; j < kQuarter; j += V::kWidth) {
        auto x0 = V::Load(work.re + j);
        auto x1 = V::Load(work.re + j + kQuarter);
        const auto x2 = V::Load(work.re + j + 2 * kQuarter);
        const auto x3 = V::Load(work.re + j + 3 * kQuarter);
        auto y2 = RealButterfly<V>(x0, x2, V::Load(firstRe + j), V::Load(firstIm + j));
        auto y3 = RealButterfly<V>(x1, x3, V::Load(firstRe + j + kQuarter),
                                   V::Load(firstIm + j + kQuarter));
        const auto wRe = V::Load(secondRe + j);
        const auto wIm = V::Load(secondIm + j);
        const auto y1 = RealButterfly<V>(x0, x1, wRe, wIm);
        Butterfly<V>(y2, y3, wRe, wIm);
        StoreComplex<V>(work, j, {x0, V::Zero()});
        StoreComplex<V>(work, j + kQuarter, y1);
        StoreComplex<V>(work, j + 2 * kQuarter, y2);
        StoreComplex<V>(work, j + 3 * kQuarter, y3);
    }
}

// Two stages at once: half-span n, then n / 2, on every group of 2n values.
template <class V>
void StagePair(const FftTables& tables, FftWork& work, int halfSpan) {
    const int quarter = halfSpan / 2;
    const float* outerRe = tables.stageRe.data() + StageOffset(halfSpan);
    const float* outerIm = tables.stageIm.data() + StageOffset(halfSpan);
    const float* innerRe = tables.stageRe.data() + StageOffset(quarter);
    const float* innerIm = tables.stageIm.data() + StageOffset(quarter);
    for (int group = 0; group < kTransformSize; group += 2 * halfSpan) {
        for (int j = 0; j < quarter; j += V::kWidth) {
            const int at = group + j;
            auto x0 = LoadComplex<V>(work, at);
            auto x1 = LoadComplex<V>(work, at + quarter);
            auto x2 = LoadComplex<V>(work, at + halfSpan);
            auto x3 = LoadComplex<V>(work, at + halfSpan + quarter);
            Butterfly<V>(x0, x2, V::Load(outerRe + j), V::Load(outerIm + j));
            Butterfly<V>(x1, x3, V::Load(outerRe + j + quarter), V::Load(outerIm + j + quarter));
            const auto wRe = V::Load(innerRe + j);
            const auto wIm = V::Load(innerIm + j);
            Butterfly<V>(x0, x1, wRe, wIm);
            Butterfly<V>(x2, x3, wRe, wIm);
            StoreComplex<V>(work, at, x0);
            StoreComplex<V>(work, at + quarter, x1);
            StoreComplex<V>(work, at + halfSpan, x2);
            StoreComplex<V>(work, at + halfSpan + quarter, x3);
        }
    }
}

// Every stage down to half-span 8; the last three are shared by all widths.
template <class V>
void TransformStages(const FftTables& tables, FftWork& work) {
    FirstStages<V>(tables, work);
    for (int halfSpan = kTransformSize / 8; halfSpan >= 16; halfSpan /= 4) {
        StagePair<V>(tables, work, halfSpan);
    }
    FinalStages(tables, work);
}
