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
    // request, its close requests, Show function, read-outs it shows, suppresses floating views
    {panel::kChannelDialog, {panel::kCloseChannel}, nullptr, R::None, false},
    {panel::kMathDialog, {panel::kCloseMath}, nullptr, R::Math, false},
    {panel::kReferenceDialog, {panel::kCloseReference}, nullptr, R::Reference, false},
    {panel::kLogicDialog, {panel::kCloseLogic}, nullptr, R::None, false},
    {panel::kHorizontalDialog, {panel::kCloseHorizontal}, ShowHorizontalDlg, R::None, true},
    {panel::kTriggerDialog, {panel::kCloseTrigger}, nullptr, R::None, false},
    {panel::kAcquireDialog, {panel::kCloseAcquire}, ShowAcquireDlg, R::None, false},
    {panel::kDisplayDialog, {panel::kCloseDisplay}, nullptr, R::None, false},
    {panel::kManualCursorDialog, {panel::kCloseManualCursor}, ShowManualCurDlg, R::Cursor, false},
    {panel::kTrackCursorDialog, {panel::kCloseTrackCursor}, ShowTrackCurDlg, R::Cursor, false},
    {panel::kMaskTestDialog, {panel::kClosePassFail}, nullptr, R::None, false},
    {panel::kRecordDialog, {panel::kCloseRecord}, nullptr, R::None, false},
    // The preview shows the screen as it prints: no floating views over it.
    {panel::kPreviewDialog, {panel::kClosePreview}, nullptr, R::None, true},
    {panel::kConnectDialog, {panel::kCloseConnect}, nullptr, R::None, false},
    // The link choice closes with its close box and with OK or Cancel.
    {panel::kLinkChoiceDialog,
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
