// The dialog table. A dialog library that is built in puts its Show function in its row;
// until then the request shows "Function not available".
#include "oxdialogs.h"

#include "acquire.h"
#include "cursor.h"
#include "delayed.h"
#include "horizontal.h"

namespace oxapp {
namespace {

namespace panel = oxcmd::panel;
using R = OwnReadouts;

constexpr DialogRow kRows[] = {
    // name, request, its close requests, Show function, read-outs it shows, suppresses the
    // floating views
    {"channel", panel::kChannelDialog, {panel::kCloseChannel}, nullptr, R::None, false},
    {"math", panel::kMathDialog, {panel::kCloseMath}, nullptr, R::Math, false},
    {"reference", panel::kReferenceDialog, {panel::kCloseReference}, nullptr, R::Reference, false},
    {"logic-analyzer", panel::kLogicDialog, {panel::kCloseLogic}, nullptr, R::None, false},
    {"horizontal",
     panel::kHorizontalDialog,
     {panel::kCloseHorizontal},
     ShowHorizontalDlg,
     R::None,
     true},
    {"trigger", panel::kTriggerDialog, {panel::kCloseTrigger}, nullptr, R::None, false},
    {"acquire", panel::kAcquireDialog, {panel::kCloseAcquire}, ShowAcquireDlg, R::None, false},
    {"display", panel::kDisplayDialog, {panel::kCloseDisplay}, nullptr, R::None, false},
    {"manual-cursor",
     panel::kManualCursorDialog,
     {panel::kCloseManualCursor},
     ShowManualCurDlg,
     R::Cursor,
     false},
    {"track-cursor",
     panel::kTrackCursorDialog,
     {panel::kCloseTrackCursor},
     ShowTrackCurDlg,
     R::Cursor,
     false},
    {"mask-test", panel::kMaskTestDialog, {panel::kClosePassFail}, nullptr, R::None, false},
    {"record", panel::kRecordDialog, {panel::kCloseRecord}, nullptr, R::None, false},
    // The preview shows the screen as it prints: no floating views over it.
    {"print-preview", panel::kPreviewDialog, {panel::kClosePreview}, nullptr, R::None, true},
    {"connect", panel::kConnectDialog, {panel::kCloseConnect}, nullptr, R::None, false},
    // The link choice closes with its close box and with OK or Cancel.
    {"link-choice",
     panel::kLinkChoiceDialog,
     {panel::kCloseLinkChoice, panel::kCloseConnect},
     nullptr,
     R::None,
     false},
};

} // namespace

std::span<const DialogRow> DialogTable() {
    return kRows;
}

FloatingViewFns FloatingViewTable() {
    return {ShowFloatDlg, ShowFloatMainDlg};
}

} // namespace oxapp
