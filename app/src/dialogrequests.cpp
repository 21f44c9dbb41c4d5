#include "dialogrequests.h"

#include "plugindlg.h"

#include "frontpanel.h"
#include "ox_handlers_math.h"
#include "oxactions.h"
#include "windowgeometry.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <span>
#include <utility>

namespace oxapp {
namespace {

constexpr int kDialogFontPixels = 12;

QFont DialogFont(bool bold) {
    QFont font = QApplication::font();
    font.setPixelSize(kDialogFontPixels);
    font.setBold(bold);
    return font;
}

bool IsCloseRequest(oxcmd::Sub sub) {
    return sub >= oxcmd::panel::kFirstCloseRequest && sub <= oxcmd::panel::kLastCloseRequest;
}

bool AnyOn(std::span<const std::uint8_t> flags) {
    return std::ranges::any_of(flags, [](std::uint8_t on) { return on != 0; });
}

// Destroys the window `ref` still names: a plug-in dialog stops taking messages at once
// and goes from the event loop; another window is deleted here.
void DestroyWindow(CWndRef& ref) {
    const CWndRef window = std::exchange(ref, {});
    if (!CWnd::IsWindow(window)) return;
    if (auto* widget = dynamic_cast<QWidget*>(window.wnd)) widget->hide();
    oxbow::ui::DestroyPluginDialog(window.wnd);
}

QWidget* WidgetOf(const CWndRef& ref) {
    return CWnd::IsWindow(ref) ? dynamic_cast<QWidget*>(ref.wnd) : nullptr;
}

} // namespace

DialogRequests::DialogRequests(Host host, std::span<const DialogRow> rows, FloatingViewFns floating)
    : host_(std::move(host)), rows_(rows.begin(), rows.end()), floating_(floating) {}

DialogRequests::~DialogRequests() {
    DestroyFloatingViews();
    DestroyCurrent();
}

const DialogRow* DialogRequests::RowOf(oxcmd::Sub request) const {
    const auto row = std::ranges::find(rows_, request, &DialogRow::request);
    return row != rows_.end() ? &*row : nullptr;
}

oxbow::ui::PluginContext DialogRequests::Context(oxcmd::Sub closeRequest) const {
    oxbow::ui::PluginContext context;
    context.closeRequest = closeRequest;
    context.mainWindow = host_.mainWindow;
    context.parent = host_.parent;
    context.setup = host_.setup;
    context.region = host_.region;
    context.refresh = host_.refresh;
    context.normalFont = DialogFont(false);
    context.boldFont = DialogFont(true);
    return context;
}

void DialogRequests::OnRequest(oxcmd::Sub sub, long value) {
    if (IsCloseRequest(sub)) {
        // A close request of a dialog replaced meanwhile leaves the new one open.
        if (currentRow_ != nullptr && std::ranges::count(currentRow_->closes, sub) != 0)
            DestroyCurrent();
    } else if (const DialogRow* row = RowOf(sub)) {
        // The command layer has reported a refusal already; nothing opens then.
        if (OxDialogRequestRefusal(*host_.setup, sub) == nullptr) Open(*row, value);
    }
    UpdateFloatingViews();
}

void DialogRequests::Open(const DialogRow& row, long value) {
    if (row.show == nullptr) {
        oxact::RefuseAction(oxact::kNotAvailable);
        return;
    }
    CloseReadoutsShownBy(row);
    DestroyCurrent();
    if (row.suppressesFloatingViews) DestroyFloatingViews();
    CWnd* window = row.show(Context(row.closes[0]), value);
    SetCurrent(CWndRef::Of(window), window != nullptr ? &row : nullptr);
}

void DialogRequests::CloseReadoutsShownBy(const DialogRow& row) {
    if (readouts_ == nullptr) return;
    const _OX_SETUP& s = *host_.setup;
    ReadoutPanel::Kind kind = ReadoutPanel::Kind::Cursor;
    switch (row.readouts) {
    case OwnReadouts::None:
        return;
    case OwnReadouts::Math:
        if (!AnyOn(s.bTraceShown)) return;
        kind = ReadoutPanel::Kind::Math;
        break;
    case OwnReadouts::Reference:
        if (!AnyOn(s.bRefDisplay)) return;
        kind = ReadoutPanel::Kind::Reference;
        break;
    case OwnReadouts::Cursor:
        break;
    }
    if (readouts_->ShowsReadoutsOf(kind)) readouts_->Close();
}

void DialogRequests::OnCompletion(oxcmd::Sub sub) {
    // The default setup is being filled in as this runs: the copy of the record still shows
    // the old time base, so the views go without asking it.
    if (sub == oxcmd::run::kDefaultSetup || sub == oxcmd::run::kConnectDone)
        DestroyFloatingViews();
    else
        UpdateFloatingViews();
}

CWnd* DialogRequests::Current() const {
    return CWnd::IsWindow(current_) ? current_.wnd : nullptr;
}

void DialogRequests::SetCurrent(CWndRef window, const DialogRow* row) {
    current_ = window;
    currentRow_ = row;
    if (host_.panel != nullptr) host_.panel->SetCurrentPanel(Current());
}

void DialogRequests::DestroyCurrent() {
    DestroyWindow(current_);
    SetCurrent({}, nullptr);
}

bool DialogRequests::FloatingViewsWanted() const {
    const _OX_SETUP& s = *host_.setup;
    return s.bDelayed != 0 || s.nTrigMode == oxcmd::code::kAlternate;
}

bool DialogRequests::FloatingViewsSuppressed() const {
    return Current() != nullptr && currentRow_ != nullptr && currentRow_->suppressesFloatingViews;
}

void DialogRequests::UpdateFloatingViews() {
    if (!FloatingViewsWanted()) {
        DestroyFloatingViews();
        return;
    }
    if (FloatingViewsSuppressed()) return;
    const oxbow::ui::ShowDialogFn shows[] = {floating_.delayed, floating_.main};
    bool opened = false;
    for (std::size_t i = 0; i < floatingViews_.size(); ++i) {
        if (shows[i] != nullptr && !CWnd::IsWindow(floatingViews_[i])) {
            floatingViews_[i] = CWndRef::Of(shows[i](Context(), 0));
            opened = true;
        }
    }
    if (opened) PlaceFloatingViews();
}

void DialogRequests::RefreshOpen() {
    oxbow::ui::RefreshPluginDialog(Current());
    for (const CWndRef& view : floatingViews_)
        if (CWnd::IsWindow(view)) oxbow::ui::RefreshPluginDialog(view.wnd);
}

void DialogRequests::PlaceFloatingViews() {
    QWidget* delayed = WidgetOf(floatingViews_[0]);
    QWidget* main = WidgetOf(floatingViews_[1]);
    const QWidget* window = host_.parent;
    if (window == nullptr || window->screen() == nullptr || (delayed == nullptr && main == nullptr))
        return;
    const QRect frame = window->frameGeometry();
    const FloatingPlaces places = FloatingViewPlaces(
        frame, host_.pictureArea ? host_.pictureArea() : frame,
        window->screen()->availableGeometry(), main != nullptr ? main->size() : QSize(),
        delayed != nullptr ? delayed->size() : QSize());
    if (main != nullptr) main->move(places.main);
    if (delayed != nullptr) delayed->move(places.delayed);
}

void DialogRequests::DestroyFloatingViews() {
    for (CWndRef& view : floatingViews_)
        DestroyWindow(view);
}

bool DialogRequests::FloatingViewsShown() const {
    return std::ranges::any_of(floatingViews_,
                               [](const CWndRef& view) { return CWnd::IsWindow(view); });
}

} // namespace oxapp
