// The per-user settings store: string values grouped under keys, kept in one text file
// under $XDG_CONFIG_HOME/oxbow/ (default ~/.config/oxbow/). It stands in for the
// registry key the remembered folders live under, with the same key and value names.
//
// File format (UTF-8 text, one entry a line):
//   [SOFTWARE\TAMBER Technologies Inc\OXBOW\]
//   PF File Path=/home/me/masks
// A key line is the key name in brackets; a value line is the name, "=", and the value
// with backslash, newline, carriage return and NUL written as \\, \n, \r and \0. Lines
// that fit neither form are ignored. Every write replaces the file through a temporary
// file and a rename, so a crash never leaves a torn store.
#pragma once

#include <filesystem>
#include <string>

namespace oxbow {

// $XDG_CONFIG_HOME/oxbow when that is an absolute path, else $HOME/.config/oxbow, else
// the account's home directory; empty when no home can be found.
std::filesystem::path UserConfigDirectory();

class SettingsStore {
public:
    enum class Status {
        Ok,
        NoKey,        // read: the store or the key does not exist
        NoValue,      // read: the key exists, the value does not
        CannotCreate, // write: the store's folder cannot be created or the store cannot be read
        CannotWrite,  // write: invalid key or name, or the new store could not be written
    };

    explicit SettingsStore(std::filesystem::path file);
    // The store of the current user: UserConfigDirectory() / "registry.conf".
    static SettingsStore ForUser();

    const std::filesystem::path& File() const { return file_; }

    Status ReadString(const std::string& key, const std::string& name, std::string& value) const;
    // Key names may not hold newlines or "]"; value names may not be empty or hold
    // newlines or "="; values may hold anything.
    Status WriteString(const std::string& key, const std::string& name, const std::string& value);

private:
    std::filesystem::path file_;
};

} // namespace oxbow
