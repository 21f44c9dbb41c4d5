#include "plugintest.h"

#include "ox_queue.h"
#include "oxmsg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <cstring>
#include <functional>
#include <set>
#include <utility>

namespace oxbow::plugintest {

namespace {

namespace g = oxcmd::group;
constexpr oxcmd::Group kGroups[] = {
    g::kCursorMode, g::kSelfCal,   g::kPanel,        g::kRunControl,  g::kChannel,
    g::kMath,       g::kReference, g::kLogic,        g::kTimebase,    g::kTrigger,
    g::kAcquire,    g::kDisplay,   g::kManualCursor, g::kTrackCursor, g::kPassFail,
    g::kRecord,     g::kMeasure,   g::kLink,         g::kDrag};

// One application for the whole test program, made before the first test and gone after
// the last, before the program's own exit handlers run.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[13] = "plugin_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// A stopped instrument at 1 ms/div with both channels shown: what a person sees after
// pressing STOP on a running picture.
void FillRealisticSetup(_OX_SETUP& s, _OX_RGN_SETUP& r) {
    std::memset(&s, 0, sizeof s);
    std::memset(&r, 0, sizeof r);
    s.bRun = 1;
    s.nRunState = oxcmd::code::kStatusRun;
    s.fMinTimeScale = 2e-9f;
    s.bChanDisplay[0] = s.bChanDisplay[1] = 1;
    s.fChanScale[0] = 1.0f;
    s.fChanScale[1] = 0.5f;
    s.fChanProbe[0] = s.fChanProbe[1] = 1.0f;
    std::strcpy(s.szChanUnit[0], "V");
    std::strcpy(s.szChanUnit[1], "V");
    s.dTimeScale = 1e-3;
    s.llTimeScalePs = 1'000'000'000;
    s.dDelayedScale = 100e-6;
    s.llDelayedScalePs = 100'000'000;
    s.dDelayedOffset = 200e-6;
    s.llDelayedOffsetPs = 200'000'000;
    s.dAltTimeScale[0] = 1e-3;
    s.llAltTimeScalePs[0] = 1'000'000'000;
    s.dAltTimeScale[1] = 20e-6;
    s.llAltTimeScalePs[1] = 20'000'000;
    s.nAcqType = oxcmd::code::kAcqNormal;
    s.bAcqRealTime = 1;
    s.nAcqAverages = 16;
    s.nAcqMemory = 16384;
    s.nAcqMemoryRec = 16384;
    s.fSampleRate = 100e6f;
    s.fSampleRateMem = 100e6f;
    s.fSampleRateRec = 100e6f;
    for (int m = 0; m < 4; ++m) {
        s.fMathScale[m] = 1.0f;
        std::strcpy(s.szTraceUnit[m], "V");
    }
    r.rcMain = {16, 13, 716, 413};
    r.rcUpper = {16, 13, 716, 113};
    r.rcLower = {16, 133, 716, 413};
    r.rcFFTTime = {16, 13, 716, 213};
    r.rcFFTFreq = {16, 213, 716, 413};
}

// How many colours the image holds, counted up to `enough`.
int DistinctColours(const QImage& image, int enough) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::set<QRgb> seen;
    for (int y = 0; y < rgb.height() && static_cast<int>(seen.size()) < enough; ++y)
        for (int x = 0; x < rgb.width(); ++x)
            seen.insert(rgb.pixel(x, y));
    return static_cast<int>(seen.size());
}

} // namespace

// The spin repeat the tests tick themselves: every timer running ticks on RepeatTick.
class TestSpinTimer final : public ui::SpinTimer {
public:
    TestSpinTimer() { Running().push_back(this); }
    ~TestSpinTimer() override { std::erase(Running(), this); }
    void Start(std::function<void()> tick) override { tick_ = std::move(tick); }
    void Stop() override { tick_ = nullptr; }
    bool Active() const override { return static_cast<bool>(tick_); }
    static std::vector<TestSpinTimer*>& Running() {
        static std::vector<TestSpinTimer*> timers;
        return timers;
    }
    void Tick() {
        if (tick_) tick_();
    }

private:
    std::function<void()> tick_;
};

void PluginTest::SetUp() {
    FillRealisticSetup(live, liveRegion);
    OxMsgInit(nullptr, live_.get(), liveRegion_.get(), positions_.get(), nullptr);
    for (oxcmd::Group group : kGroups) {
        IOCmdHandler real = OxGetIOCmdHandler(group);
        OxSetIOCmdHandler(group,
                          [this, group, real](IOCmdContext& context, unsigned int sub, long value,
                                              std::uint32_t low, std::uint32_t high) {
                              posted_.push_back({group, sub, value, low, high});
                              if (real)
                                  real(context, sub, value, low, high);
                              else
                                  context.send = false;
                          });
    }
    ui::CPluginDlg::SetSpinTimer([] { return std::make_unique<TestSpinTimer>(); });
    ui::CPluginDlg::SetNumericEntry(
        [this](double& value, double current, const ui::Entry& entry, QWidget*) {
            entries.push_back({current, entry});
            if (answers_.empty()) {
                ADD_FAILURE() << "numeric entry asked without an answer";
                return false;
            }
            const std::optional<double> answer = answers_.front();
            answers_.pop_front();
            if (answer) value = *answer;
            return answer.has_value();
        });
}

void PluginTest::TearDown() {
    delete dialog_;
    dialog_ = nullptr;
    Drain();
    ui::CPluginDlg::SetNumericEntry({});
    ui::CPluginDlg::SetSpinTimer({});
    for (oxcmd::Group group : kGroups)
        OxSetIOCmdHandler(group, {});
    OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(answers_.empty()) << "scripted entries left unanswered";
}

ui::PluginContext PluginTest::Context(oxcmd::Sub closeRequest) {
    *view_ = live;
    *viewRegion_ = liveRegion;
    ui::PluginContext context;
    context.closeRequest = closeRequest;
    context.setup = view_.get();
    context.region = viewRegion_.get();
    context.refresh = [this] {
        *view_ = live;
        *viewRegion_ = liveRegion;
    };
    QFont normal = QApplication::font();
    if (normal.pointSizeF() > 0)
        normal.setPointSizeF(normal.pointSizeF() * fontScale);
    else
        normal.setPixelSize(static_cast<int>(normal.pixelSize() * fontScale));
    QFont bold = normal;
    bold.setBold(true);
    context.normalFont = normal;
    context.boldFont = bold;
    return context;
}

ui::CPluginDlg* PluginTest::Open(ui::ShowDialogFn show, long value, oxcmd::Sub closeRequest) {
    delete dialog_;
    dialog_ = dynamic_cast<ui::CPluginDlg*>(show(Context(closeRequest), value));
    EXPECT_NE(dialog_, nullptr);
    return dialog_;
}

std::vector<Posted> PluginTest::Drain() {
    while (GetIOCmd() != 0)
        IOCmdProcess();
    Publish();
    return std::exchange(posted_, {});
}

void PluginTest::Publish() {
    *view_ = live;
    *viewRegion_ = liveRegion;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* dialog = dynamic_cast<ui::CPluginDlg*>(window)) dialog->Refresh();
}

std::vector<Posted> PluginTest::Of(const std::vector<Posted>& posts, oxcmd::Group group) {
    std::vector<Posted> kept;
    for (const Posted& p : posts)
        if (p.group == group) kept.push_back(p);
    return kept;
}

QWidget* PluginTest::ControlOf(int id) {
    QWidget* control = dialog_ != nullptr ? dialog_->Control(id) : nullptr;
    if (control == nullptr) ADD_FAILURE() << "no control " << id;
    return control;
}

void PluginTest::ClickOn(QWidget* control) {
    if (control != nullptr) QTest::mouseClick(control, Qt::LeftButton);
}

void PluginTest::PressOn(QWidget* control) {
    if (control != nullptr) QTest::mousePress(control, Qt::LeftButton);
}

void PluginTest::ReleaseOn(QWidget* control) {
    if (control != nullptr) QTest::mouseRelease(control, Qt::LeftButton);
}

void PluginTest::ClickClose() {
    ASSERT_NE(dialog_, nullptr);
    QTest::mouseClick(dialog_, Qt::LeftButton, {}, dialog_->CloseMarkRect().center());
}

void PluginTest::RepeatTick() {
    for (TestSpinTimer* timer : std::vector(TestSpinTimer::Running()))
        timer->Tick();
}

QImage PluginTest::Painted() {
    if (dialog_ == nullptr) {
        ADD_FAILURE() << "no dialog open";
        return {};
    }
    QApplication::processEvents();
    const QImage image = dialog_->grab().toImage();
    EXPECT_EQ(image.size(), dialog_->size());
    // More than the skin was painted: the controls and their texts.
    EXPECT_GT(DistinctColours(image, 16), 8);
    return image;
}

void PluginTest::Shot(const char* name) {
    const QImage image = Painted();
    const QByteArray folder = qgetenv("OXBOW_DIALOG_SHOTS");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(image.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + name + ".png"));
    }
}

QString PluginTest::TextOf(QWidget* control) {
    if (auto* field = qobject_cast<QLineEdit*>(control)) return field->text();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* box = qobject_cast<QGroupBox*>(control)) return box->title();
    ADD_FAILURE() << "the control shows no text";
    return {};
}

bool PluginTest::CheckedOf(QWidget* control) {
    auto* button = qobject_cast<QAbstractButton*>(control);
    return button != nullptr && button->isChecked();
}

Posted PluginTest::Only() {
    const std::vector<Posted> posts = Drain();
    EXPECT_EQ(posts.size(), 1u);
    return posts.empty() ? Posted{} : posts.front();
}

void PluginTest::DestroyDialog() {
    delete dialog_;
    dialog_ = nullptr;
}

} // namespace oxbow::plugintest
