// The instrument's public face: serialises access and ties commands, blocks and data.
#include "sim_core.h"

#include <algorithm>

namespace oxbow::sim {

namespace detail {

Core::Core(ModelInfo modelInfo, InstrumentOptions opts, std::shared_ptr<Clock> clk)
    : model(std::move(modelInfo)), options(std::move(opts)), clock(std::move(clk)) {
    SignalComponent sine;
    sine.frequency = 1000.0;
    sine.amplitude = 3.0;
    signals[0].components = {sine};
    SignalComponent square;
    square.shape = Waveshape::Square;
    square.frequency = 1000.0;
    square.amplitude = 2.0;
    signals[1].components = {square};
    PowerUpSetup(*this);
}

} // namespace detail

struct Instrument::Impl : detail::Core {
    using Core::Core;
    std::array<int, 6> faults{};
};

Instrument::Instrument(InstrumentOptions options, std::shared_ptr<Clock> clock)
    : model_(LookUpModel(options.model)) {
    if (!clock) {
        clock = std::make_shared<ManualClock>();
    }
    impl_ = std::make_unique<Impl>(model_, std::move(options), std::move(clock));
}

Instrument::~Instrument() = default;

std::optional<std::string> Instrument::Execute(const std::string& line) {
    std::lock_guard lock(mutex_);
    std::optional<std::string> reply;
    if (!detail::ApplyCommand(*impl_, line, reply) && impl_->log) {
        impl_->log("ignored: \"" + line + "\"");
    }
    return reply;
}

std::size_t Instrument::LiveBlock(unsigned mask, std::vector<std::uint8_t>& out) {
    std::lock_guard lock(mutex_);
    return detail::BuildUsbLiveBlock(*impl_, mask & SourcesFitted(), out);
}

void Instrument::LanLiveReply(std::vector<std::uint8_t>& out) {
    std::lock_guard lock(mutex_);
    detail::BuildLanLiveReply(*impl_, out);
}

void Instrument::FullRecord(unsigned mask, std::vector<std::uint8_t>& out) {
    std::lock_guard lock(mutex_);
    mask &= SourcesFitted();
    out.assign(detail::FullRecordSize(*impl_, mask), 0);
    detail::RenderFullRecord(*impl_, mask, out.data());
}

unsigned Instrument::SourcesFitted() const {
    return model_.logicAnalyzer ? 7u : 3u;
}

std::vector<std::uint8_t> Instrument::ReadBlock(Block block) {
    std::lock_guard lock(mutex_);
    return detail::PackBlock(*impl_, block);
}

bool Instrument::WriteBlock(Block block, const std::uint8_t* data, std::size_t size) {
    static constexpr std::size_t kSizes[] = {kDsoBlockSize, kLaBlockSize, kAltBlockSize};
    if (data == nullptr || size != kSizes[static_cast<int>(block)]) {
        return false;
    }
    std::lock_guard lock(mutex_);
    const bool wasRunning = impl_->st.dso.run;
    detail::UnpackBlock(*impl_, block, data);
    const bool running = impl_->st.dso.run;
    impl_->st.dso.run = wasRunning;
    if (running && !wasRunning) {
        detail::StartRun(*impl_);
    } else if (!running && wasRunning) {
        detail::StopRun(*impl_);
    }
    impl_->st.dso.runState = impl_->st.dso.run ? 0 : 1;
    detail::UpdateAcquisition(*impl_);
    return true;
}

std::vector<std::uint8_t> Instrument::SaveState() const {
    std::lock_guard lock(mutex_);
    const detail::SetupBlocks blocks = {detail::PackBlock(*impl_, Block::Dso),
                                        detail::PackBlock(*impl_, Block::La),
                                        detail::PackBlock(*impl_, Block::Alt)};
    return detail::EncodeState(model_.name, blocks);
}

bool Instrument::LoadState(const std::vector<std::uint8_t>& image, std::string& error) {
    detail::SetupBlocks blocks;
    if (!detail::DecodeState(image, model_.name, blocks, error)) {
        return false;
    }
    std::lock_guard lock(mutex_);
    for (const Block block : {Block::Dso, Block::La, Block::Alt}) {
        detail::UnpackBlock(*impl_, block, blocks[static_cast<int>(block)].data());
    }
    detail::UpdateAcquisition(*impl_);
    detail::StartRun(*impl_);
    impl_->recordSetup = impl_->st.dso;
    return true;
}

void Instrument::SetSignal(int channel, const SignalSource& source) {
    std::lock_guard lock(mutex_);
    impl_->signals[channel == 1 ? 1 : 0] = source;
}

void Instrument::SetDigital(const DigitalSource& source) {
    std::lock_guard lock(mutex_);
    impl_->digital = source;
}

void Instrument::SetPlotStyle(bool dots) {
    std::lock_guard lock(mutex_);
    impl_->plotDots = dots;
}

void Instrument::Advance(double seconds) {
    std::lock_guard lock(mutex_);
    if (auto* manual = dynamic_cast<ManualClock*>(impl_->clock.get())) {
        manual->Advance(seconds);
    }
}

InstrumentState Instrument::State() const {
    std::lock_guard lock(mutex_);
    return impl_->st;
}

unsigned Instrument::ShownMask() const {
    std::lock_guard lock(mutex_);
    return detail::ShownSources(*impl_);
}

void Instrument::InjectFault(Fault fault, int count) {
    std::lock_guard lock(mutex_);
    impl_->faults[static_cast<int>(fault)] += std::max(count, 0);
}

bool Instrument::TakeFault(Fault fault) {
    std::lock_guard lock(mutex_);
    int& pending = impl_->faults[static_cast<int>(fault)];
    if (pending == 0) {
        return false;
    }
    --pending;
    return true;
}

void Instrument::SetLog(std::function<void(const std::string&)> log) {
    std::lock_guard lock(mutex_);
    impl_->log = std::move(log);
}

} // namespace oxbow::sim
