// The transform stages for one vector width. Included (inside an unnamed namespace) by each
// kernel's source file, which supplies the vector type V: T, kWidth, Load, Store, Add, Sub, Mul,
// Zero, Set1, Windowed (times double-precision coefficients, rounded to single precision),
// LoadBlocks, StoreBlocks, Broadcast4 and Transpose4 (see FinalStages).
// Each butterfly does the single-precision operations of the radix-2 butterfly in the same order,
// so every width gives identical numbers.

template <class V> struct Complex {
    typename V::T re;
    typename V::T im;
};

template <class V> Complex<V> LoadComplex(const FftWork& work, int at) {
    return {V::Load(work.re + at), V::Load(work.im + at)};
}

template <class V> void StoreComplex(FftWork& work, int at, const Complex<V>& value) {
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

// An input value times its window coefficient, rounded back to single precision.
template <class V> typename V::T LoadInput(const FftWork& work, const double* window, int at) {
    const auto x = V::Load(work.re + at);
    return window == nullptr ? x : V::Windowed(x, window + at);
}

// The first two stages (half-spans 1024 and 512) on the real input.
template <class V> void FirstStages(const FftTables& tables, const double* window, FftWork& work) {
    constexpr int kQuarter = kTransformSize / 4;
    const float* firstRe = tables.stageRe.data() + StageOffset(2 * kQuarter);
    const float* firstIm = tables.stageIm.data() + StageOffset(2 * kQuarter);
    const float* secondRe = tables.stageRe.data() + StageOffset(kQuarter);
    const float* secondIm = tables.stageIm.data() + StageOffset(kQuarter);
    for (int j = 0; j < kQuarter; j += V::kWidth) {
        auto x0 = LoadInput<V>(work, window, j);
        auto x1 = LoadInput<V>(work, window, j + kQuarter);
        const auto x2 = LoadInput<V>(work, window, j + 2 * kQuarter);
        const auto x3 = LoadInput<V>(work, window, j + 3 * kQuarter);
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
template <class V> void StagePair(const FftTables& tables, FftWork& work, int halfSpan) {
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

constexpr int kQuarter = kTransformSize / 4;

// Bit reversal of the 11-bit position `at`: the bin it holds after the last stage.
constexpr int BinAt(int at) {
    int bin = 0;
    for (int bit = 0; bit < 11; ++bit) {
        bin |= ((at >> bit) & 1) << (10 - bit);
    }
    return bin;
}
static_assert(1 << 11 == kTransformSize);

template <class V> Complex<V> LoadBlocks(const FftWork& work, int at, int apart) {
    return {V::LoadBlocks(work.re + at, apart), V::LoadBlocks(work.im + at, apart)};
}

// Half-spans 2 and 1 on blocks of four transposed so that vector e holds position e of every
// block; stores the blocks' positions 0 and 2 as bins. (Their odd positions hold bins N/2 and
// up, which nobody reads, so of the last stage only the sums are formed.)
template <class V>
void LastTwoStages(Complex<V> p[4], typename V::T w2Re, typename V::T w2Im, FftWork& work, int bin0,
                   int bin2, int apart) {
    V::Transpose4(p[0].re, p[1].re, p[2].re, p[3].re);
    V::Transpose4(p[0].im, p[1].im, p[2].im, p[3].im);
    const Complex<V> sum02{V::Add(p[0].re, p[2].re), V::Add(p[0].im, p[2].im)}; // twiddle 1
    const Complex<V> dif02{V::Sub(p[0].re, p[2].re), V::Sub(p[0].im, p[2].im)};
    Butterfly<V>(p[1], p[3], w2Re, w2Im);
    V::StoreBlocks(work.binRe + bin0, apart, V::Add(sum02.re, p[1].re));
    V::StoreBlocks(work.binIm + bin0, apart, V::Add(sum02.im, p[1].im));
    V::StoreBlocks(work.binRe + bin2, apart, V::Add(dif02.re, p[3].re));
    V::StoreBlocks(work.binIm + bin2, apart, V::Add(dif02.im, p[3].im));
}

// Half-spans 4, 2 and 1, and the bit-reversed reordering. Position q + c + e (q a quarter's
// start, c a multiple of 4 below N/4, e = 0 or 2) holds bin BinAt(c) + BinAt(q) + BinAt(e), and
// BinAt(q) is 0, 2, 1, 3 for the quarters; so the blocks at offset c of the quarters taken in
// the order 0, 2, 1, 3 give, once transposed, four consecutive bins. A wider vector takes the
// blocks at c + 8, c + 16 ... as well, whose bins lie BinAt(8) = 128 apart.
template <class V> void FinalStages(const FftTables& tables, FftWork& work) {
    constexpr int kQuarterOrder[4] = {0, 2 * kQuarter, kQuarter, 3 * kQuarter};
    constexpr int kBlocks = V::kWidth / 4;
    constexpr int kInputApart = 8;
    constexpr int kBinsApart = BinAt(kInputApart);
    static_assert(kBlocks <= 2, "the loads and stores pair at most two blocks");
    const auto w4Re = V::Broadcast4(tables.stageRe.data() + StageOffset(4));
    const auto w4Im = V::Broadcast4(tables.stageIm.data() + StageOffset(4));
    const auto w2Re = V::Set1(tables.stageRe[StageOffset(2) + 1]);
    const auto w2Im = V::Set1(tables.stageIm[StageOffset(2) + 1]);
    for (int c = 0; c < kQuarter; c += kInputApart * kBlocks) {
        Complex<V> low[4];
        Complex<V> high[4];
        for (int lane = 0; lane < 4; ++lane) {
            const int at = kQuarterOrder[lane] + c;
            low[lane] = LoadBlocks<V>(work, at, kInputApart);
            high[lane] = LoadBlocks<V>(work, at + 4, kInputApart);
            Butterfly<V>(low[lane], high[lane], w4Re, w4Im);
        }
        const int bin = BinAt(c);
        LastTwoStages<V>(low, w2Re, w2Im, work, bin, bin + BinAt(2), kBinsApart);
        LastTwoStages<V>(high, w2Re, w2Im, work, bin + BinAt(4), bin + BinAt(4) + BinAt(2),
                         kBinsApart);
    }
}

// Every stage, two at a time where the vectors allow, then the last three.
template <class V>
void TransformStages(const FftTables& tables, const double* window, FftWork& work) {
    FirstStages<V>(tables, window, work);
    for (int halfSpan = kTransformSize / 8; halfSpan >= 16; halfSpan /= 4) {
        StagePair<V>(tables, work, halfSpan);
    }
    FinalStages<V>(tables, work);
}
