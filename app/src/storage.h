// The file items of the Storage menu and the files of the command line: the file dialogs
// with their remembered folders, the messages, and the writing of a copy of the records
// taken on the I/O thread (oxstorage.h). Loads are carried out on the I/O thread; this
// side only asks for them and remembers the folder when they succeeded.
#pragma once

#include "oxsnapshot.h"
#include "oxstorage.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace oxbow::ui {
class ScopeView;
}

namespace oxapp {

class COxbowDlg;
struct CommandLine;

// The picture's file formats, as the image writer numbers them.
enum class ImageFormat { Bmp = 0, Jpeg = 1, Png = 2 };
// By the name's last three characters, case ignored: "BMP", "PNG", anything else JPEG.
[[nodiscard]] ImageFormat ImageFormatOf(const QString& path);
// The image writer: the composed scope picture (727 x 434) into `path` through a temporary
// file. 0 when written.
[[nodiscard]] int SaveScopeImage(const QString& path, const oxbow::ui::ScopeView& scope,
                                 ImageFormat format);

class StorageMenu {
public:
    // Registers the five file items with the window.
    StorageMenu(COxbowDlg& window, oxacq::FileExchange& files);

    // The completion message of a file command; true when it was one. The follow-up runs
    // once the I/O thread no longer waits on this handler.
    bool OnIoNotify(unsigned int subCmd, long value);

    // What the items do once a name was chosen (tests call these directly).
    void LoadFile(oxacq::FileKind kind, const QString& path);
    void SaveWaveformTo(const QString& path);
    void SaveSetupTo(const QString& path);
    void SaveScreenTo(const QString& path);

    // --load-set, --load-wfm: posted before anything else the start posts.
    void LoadAtStart(const CommandLine& line);
    // --save-csv, --save-wfm, --save-set, --save-image: the acquisition stopped, its copy
    // written without asking; then `done(true when every file was written)`.
    void SaveAtEnd(const CommandLine& line, std::function<void(bool)> done);

private:
    void LoadItem(oxacq::FileKind kind);
    void SaveWaveformItem();
    void SaveSetupItem();
    void SaveScreenItem();
    // The UI thread's copy of the setup, as it stands now.
    const _OX_SETUP& State();
    bool HoldsWaveform() { return State().bDataValid == 1; }
    // Stops the acquisition when a waveform is held, so that what is saved is its record.
    void StopWhenHolding();
    // Asks for a copy of the records and the stored samples; `then` gets it on the UI thread.
    // The request's serial; 0 when the queue refused it (it has said so on the screen).
    long WhenCopied(std::function<void(const oxacq::RecordCopy&)> then);
    // Runs what waits for request `serial`, if anything does.
    void Continue(long serial);

    COxbowDlg& window_;
    oxacq::FileExchange& files_;
    std::unique_ptr<oxacq::RecordView> view_;
    std::map<long, std::function<void()>> waiting_;
};

} // namespace oxapp
