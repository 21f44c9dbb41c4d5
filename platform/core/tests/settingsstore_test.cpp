#include "settingsstore.h"

#include "atomicfile.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

using Status = oxbow::SettingsStore::Status;

const std::string kKey = "SOFTWARE\\TAMBER Technologies Inc\\OXBOW\\";

class SettingsStoreTest : public ::testing::Test {
protected:
    ScratchDir dir;
    oxbow::SettingsStore store{dir / "sub/registry.conf"};

    std::string Read(const std::string& key, const std::string& name,
                     Status expected = Status::Ok) {
        std::string value;
        EXPECT_EQ(store.ReadString(key, name, value), expected) << key << " / " << name;
        return value;
    }
};

TEST_F(SettingsStoreTest, WritesCreateTheFolderAndReadBack) {
    EXPECT_EQ(store.WriteString(kKey, "PF File Path", "/masks"), Status::Ok);
    EXPECT_EQ(store.WriteString(kKey, "Ref File Path", "/refs"), Status::Ok);
    EXPECT_EQ(store.WriteString("Other", "Ref File Path", "/other"), Status::Ok);
    EXPECT_EQ(store.WriteString(kKey, "PF File Path", "/masks2"), Status::Ok);
    EXPECT_EQ(Read(kKey, "PF File Path"), "/masks2");
    EXPECT_EQ(Read(kKey, "Ref File Path"), "/refs");
    EXPECT_EQ(Read("Other", "Ref File Path"), "/other");
    EXPECT_EQ(ReadText(store.File()), "[" + kKey +
                                          "]\nPF File Path=/masks2\nRef File Path=/refs\n"
                                          "[Other]\nRef File Path=/other\n");
}

TEST_F(SettingsStoreTest, MissingStoreKeyOrValueAreTold) {
    Read(kKey, "PF File Path", Status::NoKey);
    ASSERT_EQ(store.WriteString(kKey, "PF File Path", "/masks"), Status::Ok);
    Read("Other", "PF File Path", Status::NoKey);
    Read(kKey, "Wfm File Path", Status::NoValue);
}

TEST_F(SettingsStoreTest, ValuesWithControlCharactersRoundTrip) {
    const std::string value = std::string("a\\n\nb\r\\") + '\0' + "c=d [e]";
    ASSERT_EQ(store.WriteString(kKey, "Odd", value), Status::Ok);
    EXPECT_EQ(Read(kKey, "Odd"), value);
}

TEST_F(SettingsStoreTest, InvalidNamesAreRefused) {
    EXPECT_EQ(store.WriteString("", "Name", "v"), Status::CannotWrite);
    EXPECT_EQ(store.WriteString("Key]", "Name", "v"), Status::CannotWrite);
    EXPECT_EQ(store.WriteString("Key\n", "Name", "v"), Status::CannotWrite);
    EXPECT_EQ(store.WriteString("Key", "", "v"), Status::CannotWrite);
    EXPECT_EQ(store.WriteString("Key", "a=b", "v"), Status::CannotWrite);
    EXPECT_EQ(store.WriteString("Key", "[x", "v"), Status::CannotWrite);
    EXPECT_FALSE(std::filesystem::exists(store.File()));
}

TEST_F(SettingsStoreTest, ForeignLinesAreSkippedAndCarriageReturnsTolerated) {
    std::filesystem::create_directories(store.File().parent_path());
    WriteText(store.File(), "orphan=1\r\ngarbage\r\n[Key]\r\n=nameless\r\nName=value\r\n");
    EXPECT_EQ(Read("Key", "Name"), "value");
    Read("Key", "orphan", Status::NoValue);
    ASSERT_EQ(store.WriteString("Key", "Second", "2"), Status::Ok);
    EXPECT_EQ(ReadText(store.File()), "[Key]\nName=value\nSecond=2\n");
}

TEST_F(SettingsStoreTest, AFolderThatCannotBeCreatedIsTold) {
    WriteText(dir / "plain", "x");
    oxbow::SettingsStore blocked(dir / "plain/oxbow/registry.conf");
    EXPECT_EQ(blocked.WriteString(kKey, "PF File Path", "/x"), Status::CannotCreate);
    std::string value;
    EXPECT_EQ(blocked.ReadString(kKey, "PF File Path", value), Status::NoKey);
}

TEST_F(SettingsStoreTest, AStoreThatCannotBeReplacedIsTold) {
    std::filesystem::create_directories(store.File()); // a folder where the file should be
    EXPECT_EQ(store.WriteString(kKey, "PF File Path", "/x"), Status::CannotCreate);
}

TEST(UserConfigDirectory, FollowsXdgConfigHomeThenHome) {
    SavedVariable config("XDG_CONFIG_HOME");
    SavedVariable home("HOME");
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    ::setenv("HOME", "/home/me", 1);
    EXPECT_EQ(oxbow::UserConfigDirectory(), "/cfg/oxbow");
    EXPECT_EQ(oxbow::SettingsStore::ForUser().File(), "/cfg/oxbow/registry.conf");
    ::setenv("XDG_CONFIG_HOME", "relative/path", 1);
    EXPECT_EQ(oxbow::UserConfigDirectory(), "/home/me/.config/oxbow");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(oxbow::UserConfigDirectory(), "/home/me/.config/oxbow");
    ::unsetenv("HOME");
    EXPECT_FALSE(oxbow::UserConfigDirectory().empty()); // the account's home directory
}

class AtomicFileTest : public ::testing::Test {
protected:
    ScratchDir dir;
    std::filesystem::path target = dir / "Oxbow.ini";
};

TEST_F(AtomicFileTest, CreatesAndReplacesWholeFiles) {
    ASSERT_TRUE(oxbow::WriteFileAtomically(target, "first version", 13));
    ASSERT_TRUE(oxbow::WriteFileAtomically(target, "second", 6));
    EXPECT_EQ(ReadText(target), "second");
    ASSERT_TRUE(oxbow::WriteFileAtomically(target, nullptr, 0));
    EXPECT_EQ(ReadText(target), "");
    EXPECT_EQ(dir.EntryCount(), 1);
}

TEST_F(AtomicFileTest, AReplacedFileKeepsItsPermissions) {
    WriteText(target, "old");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write |
                                             std::filesystem::perms::group_read);
    ASSERT_TRUE(oxbow::WriteFileAtomically(target, "new", 3));
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

TEST_F(AtomicFileTest, AFailedRenameLeavesNoTemporaryFile) {
    std::filesystem::create_directories(target / "child");
    EXPECT_FALSE(oxbow::WriteFileAtomically(target, "new", 3));
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_EQ(dir.EntryCount(), 1);
}

TEST_F(AtomicFileTest, LeftoversOfKilledWritesGoAndNothingElse) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child); // a process id that no longer runs
    const std::string dead = std::to_string(child);
    const std::string alive = std::to_string(::getpid());
    const std::vector<std::string> kept{"Oxbow.ini",
                                        ".Oxbow.ini.tmp" + alive + "-3",
                                        ".Oxbow.ini.tmpx-0",
                                        ".Oxbow.ini.tmp" + dead + "-",
                                        ".registry.conf.tmp" + dead + "-0",
                                        "Oxbow.ini.tmp" + dead + "-0"};
    for (const std::string& name : kept) {
        WriteText(dir / name, "x");
    }
    WriteText(dir / (".Oxbow.ini.tmp" + dead + "-0"), "torn");
    WriteText(dir / (".Oxbow.ini.tmp" + dead + "-17"), "torn");

    EXPECT_EQ(oxbow::RemoveLeftoverTemporaries(target), 2);
    for (const std::string& name : kept) {
        EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
    }
    EXPECT_EQ(dir.EntryCount(), static_cast<int>(kept.size()));
    EXPECT_EQ(oxbow::RemoveLeftoverTemporaries(dir / "missing" / "Oxbow.ini"), 0);
}

TEST_F(AtomicFileTest, RefusesPathsWithoutAFileName) {
    EXPECT_FALSE(oxbow::WriteFileAtomically("", "x", 1));
    EXPECT_FALSE(oxbow::WriteFileAtomically(dir.Path() / "", "x", 1));
    EXPECT_FALSE(oxbow::WriteFileAtomically(target, nullptr, 1));
    EXPECT_EQ(dir.EntryCount(), 0);
}

} // namespace
