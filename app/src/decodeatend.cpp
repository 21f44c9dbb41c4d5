#include "decodeatend.h"

#include <cstdio>

namespace oxapp {

namespace {

const char* WhyNotDecoded(oxfile::Result result) {
    switch (result) {
    case oxfile::Result::NoWaveformHeld:
        return "no record is held";
    case oxfile::Result::NoChannelShown:
        return "the record holds no channel and no analyzer lines";
    default:
        return "the record has no single sample rate (alternate trigger) or none at all";
    }
}

// Lives until its result has been reported (or with the window); its worker's thread ends
// before the object does, so no result is posted to an object that is gone.
class DecodeJob : public QObject {
public:
    DecodeJob(QObject& context, ExportOptions options, std::function<void(bool)> done)
        : QObject(&context), options_(std::move(options)), done_(std::move(done)) {
        worker_.SetOnResult([this](long serial) {
            QMetaObject::invokeMethod(
                this, [this, serial] { Finish(serial); }, Qt::QueuedConnection);
        });
    }
    void Start(std::shared_ptr<const oxfile::RecordSignals> record) {
        static_cast<void>(worker_.Submit({options_.decode, std::move(record), {}}));
    }

private:
    void Finish(long serial) {
        const std::shared_ptr<const oxdecode::DecodeResult> result = worker_.ResultOf(serial);
        const bool reported = result && ReportDecoded(options_, *result);
        deleteLater();
        done_(reported);
    }

    ExportOptions options_;
    std::function<void(bool)> done_;
    oxdecode::DecodeWorker worker_;
};

} // namespace

void DecodeAtEnd(const ExportOptions& options, const oxacq::RecordCopy& copy, QObject& context,
                 std::function<void(bool)> done) {
    if (options.decode.empty()) {
        done(true);
        return;
    }
    auto record = std::make_shared<oxfile::RecordSignals>();
    const oxfile::Result taken = oxfile::TakeRecordSignals(copy.setup, copy.Samples(), *record);
    if (taken != oxfile::Result::Ok) {
        std::fprintf(stderr, "oxbow: nothing was decoded (%s)\n", WhyNotDecoded(taken));
        done(false);
        return;
    }
    auto* job = new DecodeJob(context, options, std::move(done));
    job->Start(std::move(record));
}

} // namespace oxapp
