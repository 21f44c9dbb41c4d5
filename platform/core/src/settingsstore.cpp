#include "settingsstore.h"

#include "atomicfile.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace oxbow {

namespace {

constexpr const char* kStoreFileName = "registry.conf";

struct Entry {
    std::string name;
    std::string value;
};

struct Key {
    std::string name;
    std::vector<Entry> entries;
};

using Store = std::vector<Key>;

std::mutex g_writeMutex;

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '0':
            out += '\0';
            break;
        default:
            out += text[i];
            break;
        }
    }
    return out;
}

Store Parse(std::istream& in) {
    Store store;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            store.push_back({line.substr(1, line.size() - 2), {}});
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0 || store.empty()) {
            continue;
        }
        store.back().entries.push_back({line.substr(0, equals), Unescape(line.substr(equals + 1))});
    }
    return store;
}

std::string Serialise(const Store& store) {
    std::string out;
    for (const Key& key : store) {
        out += "[" + key.name + "]\n";
        for (const Entry& entry : key.entries) {
            out += entry.name + "=" + Escape(entry.value) + "\n";
        }
    }
    return out;
}

// The parsed store; nullopt when the file exists but cannot be read. A missing file is an
// empty store.
std::optional<Store> Load(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(file, error);
    if (!std::filesystem::exists(status)) {
        return Store{};
    }
    std::ifstream in(file, std::ios::binary);
    if (!std::filesystem::is_regular_file(status) || !in) {
        return std::nullopt;
    }
    return Parse(in);
}

Key* FindKey(Store& store, const std::string& name) {
    for (Key& key : store) {
        if (key.name == name) {
            return &key;
        }
    }
    return nullptr;
}

bool ValidKeyName(const std::string& key) {
    return !key.empty() && key.find_first_of("\n\r]") == std::string::npos;
}

bool ValidValueName(const std::string& name) {
    return !name.empty() && name.find_first_of("\n\r=") == std::string::npos && name.front() != '[';
}

std::filesystem::path HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home && *home == '/') {
        return home;
    }
    const passwd* account = ::getpwuid(::getuid());
    return account && account->pw_dir ? std::filesystem::path(account->pw_dir)
                                      : std::filesystem::path();
}

bool CreateFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (folder.empty()) {
        return true;
    }
    std::filesystem::create_directories(folder, error);
    return !error && std::filesystem::is_directory(folder, error);
}

} // namespace

std::filesystem::path UserConfigDirectory() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') {
        return std::filesystem::path(config) / "oxbow";
    }
    std::filesystem::path home = HomeDirectory();
    return home.empty() ? home : home / ".config" / "oxbow";
}

SettingsStore::SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

SettingsStore SettingsStore::ForUser() {
    std::filesystem::path directory = UserConfigDirectory();
    return SettingsStore(directory.empty() ? directory : directory / kStoreFileName);
}

SettingsStore::Status SettingsStore::ReadString(const std::string& key, const std::string& name,
                                                std::string& value) const {
    if (file_.empty()) {
        return Status::NoKey;
    }
    std::optional<Store> store = Load(file_);
    Key* found = store ? FindKey(*store, key) : nullptr;
    if (!found) {
        return Status::NoKey;
    }
    for (const Entry& entry : found->entries) {
        if (entry.name == name) {
            value = entry.value;
            return Status::Ok;
        }
    }
    return Status::NoValue;
}

SettingsStore::Status SettingsStore::WriteString(const std::string& key, const std::string& name,
                                                 const std::string& value) {
    if (!ValidKeyName(key) || !ValidValueName(name)) {
        return Status::CannotWrite;
    }
    if (file_.empty() || !CreateFolder(file_.parent_path())) {
        return Status::CannotCreate;
    }
    std::lock_guard lock(g_writeMutex);
    std::optional<Store> store = Load(file_);
    if (!store) {
        return Status::CannotCreate;
    }
    Key* target = FindKey(*store, key);
    if (!target) {
        target = &store->emplace_back(Key{key, {}});
    }
    auto entry = std::find_if(target->entries.begin(), target->entries.end(),
                              [&](const Entry& e) { return e.name == name; });
    if (entry == target->entries.end()) {
        target->entries.push_back({name, value});
    } else {
        entry->value = value;
    }
    std::string text = Serialise(*store);
    return WriteFileAtomically(file_, text.data(), text.size()) ? Status::Ok : Status::CannotWrite;
}

} // namespace oxbow
