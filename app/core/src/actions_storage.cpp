// The file items of the Storage menu. The window carries them out (file dialogs, the files
// written on the UI thread from a copy taken on the I/O thread), so they have no plan.
#include "oxactions.h"

namespace oxact {
namespace {

constexpr const char* kStorage = "&Storage";

// clang-format off
constexpr ActionRow kStorageRows[] = {
    // id, menu, caption, button, object name, shortcut, tip, plan, enabled, checked
    {ActionId::LoadWaveform, kStorage, "Load Waveform", nullptr, "LOAD_WAVEFORM", nullptr, "Load a waveform file (.wfm)", nullptr, nullptr, nullptr},
    {ActionId::LoadSetup, kStorage, "Load Setup", nullptr, "LOAD_SETUP", nullptr, "Load a setup file (.set)", nullptr, nullptr, nullptr},
    {ActionId::SaveWaveform, kStorage, "Save Waveform", nullptr, "SAVE_WAVEFORM", nullptr, "Save the stored waveform (.wfm, .kwfm or .csv)", nullptr, nullptr, nullptr},
    {ActionId::SaveSetup, kStorage, "Save Setup", nullptr, "SAVE_SETUP", nullptr, "Save the setup (.set)", nullptr, nullptr, nullptr},
    {ActionId::SaveScreen, kStorage, "Save Screen", nullptr, "SAVE_SCREEN", nullptr, "Save the scope picture (.bmp, .JPG or .png)", nullptr, nullptr, nullptr},
};
// clang-format on

} // namespace

std::span<const ActionRow> StorageRows() {
    return kStorageRows;
}

} // namespace oxact
