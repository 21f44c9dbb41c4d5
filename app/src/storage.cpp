#include "storage.h"

#include "commandline.h"
#include "decodeatend.h"
#include "entrydialogs.h"
#include "fileformats.h"
#include "messageboxes.h"
#include "oxactions.h"
#include "oxbowdlg.h"
#include "oxcommon.h"
#include "oxmsg.h"
#include "scopeview.h"
#include "session.h"

#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace oxapp {

namespace {

using oxacq::FileKind;

// The remembered folders (path types of the registry store).
constexpr int kWaveformFolder = 3;
constexpr int kSetupFolder = 4;
constexpr int kImageFolder = 5;

const char* const kOpenWaveformFilter = "Waveform file(*.wfm)|*.wfm";
const char* const kSetupFilter = "Setup file(*.set)|*.set";
const char* const kSaveWaveformFilter = "Waveform file(*.wfm)|*.wfm|Waveform file for "
                                        "Kelpview(*.kwfm)|*.kwfm|CSV file(*.csv)|*.csv";
const char* const kImageFilter =
    "Bmp file(*.bmp)|*.bmp|JPEG file(*.JPG)|*.JPG|PNG file(*.png)|*.png";

// The picture is written once the stopped redraw has reached the screen.
constexpr int kImageDelayMs = 200;
// How long the command line's saves wait for the copy before they give up.
constexpr int kCopyWaitMs = 10'000;

// The text on the screen for 2 s (posted, then the command that shows it).
void Show(const char* text) {
    oxact::RefuseAction(text);
}

QString RememberedFolder(int type) {
    std::string folder;
    return ReadPathFromReg(type, folder) ? QString::fromStdString(folder) : QString();
}

void RememberFolder(int type, const QString& chosen) {
    static_cast<void>(WritePathToReg(type, QFileInfo(chosen).absolutePath().toStdString()));
}

int FolderOf(FileKind kind) {
    return kind == FileKind::Setup ? kSetupFolder : kWaveformFolder;
}

bool EndsWith(const QString& path, const char* suffix) {
    return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// What a failed command-line save says on standard error.
void ReportNotWritten(const std::string& path, const char* why) {
    std::fprintf(stderr, "oxbow: could not write %s (%s)\n", path.c_str(), why);
}

} // namespace

ImageFormat ImageFormatOf(const QString& path) {
    const QString format = path.right(3).toUpper();
    if (format == QLatin1String("BMP")) return ImageFormat::Bmp;
    if (format == QLatin1String("PNG")) return ImageFormat::Png;
    return ImageFormat::Jpeg;
}

int SaveScopeImage(const QString& path, const oxbow::ui::ScopeView& scope, ImageFormat format) {
    static constexpr const char* kFormats[] = {"BMP", "JPEG", "PNG"};
    return scope.SaveImage(path, kFormats[static_cast<int>(format)]) ? 0 : 1;
}

StorageMenu::StorageMenu(COxbowDlg& window, oxacq::FileExchange& files)
    : window_(window), files_(files), view_(std::make_unique<oxacq::RecordView>()) {
    using oxact::ActionId;
    window_.SetWindowAction(ActionId::LoadWaveform, [this] { LoadItem(FileKind::Waveform); });
    window_.SetWindowAction(ActionId::LoadSetup, [this] { LoadItem(FileKind::Setup); });
    window_.SetWindowAction(ActionId::SaveWaveform, [this] { SaveWaveformItem(); });
    window_.SetWindowAction(ActionId::SaveSetup, [this] { SaveSetupItem(); });
    window_.SetWindowAction(ActionId::SaveScreen, [this] { SaveScreenItem(); });
}

const _OX_SETUP& StorageMenu::State() {
    window_.GetSession().Snapshot().Refresh(*view_);
    return view_->setup;
}

void StorageMenu::StopWhenHolding() {
    if (HoldsWaveform()) static_cast<void>(OxPost(oxcmd::group::kRunControl, oxcmd::run::kStop));
}

bool StorageMenu::OnIoNotify(unsigned int subCmd, long value) {
    if (subCmd != oxcmd::run::kLoadSetupFile && subCmd != oxcmd::run::kLoadWaveformFile &&
        subCmd != oxcmd::run::kCopyForSave)
        return false;
    // The I/O thread waits on this handler: files are written, questions asked, afterwards.
    QTimer::singleShot(0, &window_, [this, value] { Continue(value); });
    return true;
}

void StorageMenu::Continue(long serial) {
    const auto found = waiting_.find(serial);
    if (found == waiting_.end()) return;
    const std::function<void()> next = std::move(found->second);
    waiting_.erase(found);
    next();
}

long StorageMenu::WhenCopied(std::function<void(const oxacq::RecordCopy&)> then) {
    const long serial = files_.PostCopy();
    if (serial == 0) return 0;
    waiting_[serial] = [this, serial, then = std::move(then)] {
        if (const std::optional<oxacq::RecordCopy> copy = files_.TakeCopy(serial)) then(*copy);
    };
    return serial;
}

// ---- loading ----

void StorageMenu::LoadItem(FileKind kind) {
    static_cast<void>(OxPost(oxcmd::group::kRunControl, oxcmd::run::kStop));
    QString path = RememberedFolder(FolderOf(kind));
    const char* filter = kind == FileKind::Setup ? kSetupFilter : kOpenWaveformFilter;
    if (!ShowFileDlg(path, "Open", "Open File", filter, &window_)) return;
    LoadFile(kind, path);
}

void StorageMenu::LoadFile(FileKind kind, const QString& path) {
    // The I/O thread loads it and shows "Load successful" or "Load failed".
    const long serial = files_.PostLoad(kind, path.toStdString());
    if (serial == 0) return;
    waiting_[serial] = [this, serial, kind, path] {
        if (files_.TakeLoadResult(serial) == oxfile::Result::Ok)
            RememberFolder(FolderOf(kind), path);
    };
}

void StorageMenu::LoadAtStart(const CommandLine& line) {
    const std::pair<FileKind, const std::string*> loads[] = {{FileKind::Setup, &line.loadSet},
                                                             {FileKind::Waveform, &line.loadWfm}};
    bool stopped = false;
    for (const auto& [kind, path] : loads) {
        if (path->empty()) continue;
        if (!stopped) stopped = OxPost(oxcmd::group::kRunControl, oxcmd::run::kStop);
        const long serial = files_.PostLoad(kind, *path);
        const auto report = [file = *path] {
            std::fprintf(stderr, "oxbow: could not load %s\n", file.c_str());
        };
        if (serial == 0) {
            report();
            continue;
        }
        waiting_[serial] = [this, serial, report] {
            if (files_.TakeLoadResult(serial) != oxfile::Result::Ok) report();
        };
    }
}

// ---- saving ----

void StorageMenu::SaveWaveformItem() {
    if (!HoldsWaveform()) {
        Show(oxfile::SaveResultText(oxfile::Result::NoWaveformHeld));
        return;
    }
    static_cast<void>(OxPost(oxcmd::group::kRunControl, oxcmd::run::kStop));
    QString path = RememberedFolder(kWaveformFolder);
    if (!ShowFileDlg(path, "Save", "Save File", kSaveWaveformFilter, &window_)) return;
    SaveWaveformTo(path);
}

void StorageMenu::SaveWaveformTo(const QString& path) {
    WhenCopied([path](const oxacq::RecordCopy& copy) {
        const oxfile::Result result = oxfile::SaveWaveformByName(
            path.toStdString(), copy.setup, copy.region, copy.Samples(), false);
        // The other software's files do not move the remembered folder.
        const bool remembered = EndsWith(path, ".wfm") || EndsWith(path, ".csv");
        if (result == oxfile::Result::Ok && remembered) RememberFolder(kWaveformFolder, path);
        Show(oxfile::SaveResultText(result));
    });
}

void StorageMenu::SaveSetupItem() {
    StopWhenHolding();
    QString path = RememberedFolder(kSetupFolder);
    if (!ShowFileDlg(path, "Save", "Save File", kSetupFilter, &window_)) return;
    SaveSetupTo(path);
}

void StorageMenu::SaveSetupTo(const QString& path) {
    WhenCopied([path](const oxacq::RecordCopy& copy) {
        const oxfile::Result result =
            oxfile::SaveSetupFile(path.toStdString(), copy.setup, copy.region, false);
        if (result == oxfile::Result::Ok) RememberFolder(kSetupFolder, path);
        // A setup file holds no waveform: only "successful" or "failed" apply.
        Show(oxfile::SaveResultText(result == oxfile::Result::Ok ? result
                                                                 : oxfile::Result::WriteFailed));
    });
}

void StorageMenu::SaveScreenItem() {
    StopWhenHolding();
    QString path = RememberedFolder(kImageFolder);
    if (!ShowFileDlg(path, "Save", "Save File", kImageFilter, &window_)) return;
    SaveScreenTo(path);
}

void StorageMenu::SaveScreenTo(const QString& path) {
    // The old file stays until the new one has been written in its place.
    if (QFileInfo::exists(path) &&
        oxbow::AskMessage({kReplaceFileQuestion, "", oxbow::MessageButtons::OkCancel,
                           oxbow::MessageIcon::Warning, true}) != oxbow::MessageAnswer::Ok)
        return;
    QTimer::singleShot(kImageDelayMs, &window_, [this, path] {
        if (SaveScopeImage(path, window_.Scope(), ImageFormatOf(path)) == 0)
            RememberFolder(kImageFolder, path);
        else
            Show(oxfile::SaveResultText(oxfile::Result::WriteFailed));
    });
}

void StorageMenu::SaveAtEnd(const CommandLine& line, std::function<void(bool)> done) {
    static_cast<void>(OxPost(oxcmd::group::kRunControl, oxcmd::run::kStop));
    const long serial = WhenCopied([this, line, done](const oxacq::RecordCopy& copy) {
        bool written = true;
        const oxfile::SaveRequest request{line.saveCsv, line.saveWfm, line.saveSet,
                                          line.exports.saveSr, line.exports.saveVcd};
        for (const oxfile::SaveReport& report :
             oxfile::SaveRequestedFiles(request, copy.setup, copy.region, copy.Samples())) {
            if (report.result == oxfile::Result::Ok) continue;
            ReportNotWritten(report.path, oxfile::SaveResultText(report.result));
            written = false;
        }
        const QString image = QString::fromStdString(line.saveImage);
        if (!image.isEmpty() && SaveScopeImage(image, window_.Scope(), ImageFormatOf(image)) != 0) {
            ReportNotWritten(line.saveImage, "Save failed");
            written = false;
        }
        DecodeAtEnd(line.exports, copy, window_,
                    [done, written](bool decoded) { done(written && decoded); });
    });
    if (serial == 0) {
        std::fprintf(stderr, "oxbow: the files were not saved (the command queue is full)\n");
        done(false);
        return;
    }
    // A stalled I/O thread does not keep the program from ending.
    QTimer::singleShot(kCopyWaitMs, &window_, [this, serial, done] {
        if (waiting_.erase(serial) == 0) return;
        std::fprintf(stderr, "oxbow: the files were not saved (no copy of the record came)\n");
        done(false);
    });
}

} // namespace oxapp
