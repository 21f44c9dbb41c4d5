// The density views' shade of a row: 128 x count / total, rounded down, found with a product by
// the reciprocal instead of a division per row, put right by one step where rounding left it off.
#pragma once

namespace tracekit::detail {

class ShadeShare {
public:
    explicit ShadeShare(long long total)
        : total_(total), reciprocal_(128.0 / static_cast<double>(total)) {}

    // For 0 <= count, 128 x count below 2^53.
    long long operator()(long long count) const {
        const long long scaled = 128 * count;
        auto share = static_cast<long long>(static_cast<double>(count) * reciprocal_);
        if (share * total_ > scaled) {
            --share;
        } else if ((share + 1) * total_ <= scaled) {
            ++share;
        }
        return share;
    }

private:
    long long total_;
    double reciprocal_;
};

} // namespace tracekit::detail
