// The Storage menu's files in the running program on the simulated instrument: a waveform
// and a setup saved and loaded back restore the records and samples; a bad file says "Load
// failed" and changes nothing; the scope picture is saved at its size in the chosen format,
// and an existing picture is replaced only after OK.
#include "program_fixture.h"

#include "fileformats.h"
#include "oxcommon.h"
#include "storage.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <cstring>
#include <vector>

namespace oxapp::test {
namespace {

struct Held {
    _OX_SETUP setup{};
    std::vector<std::uint8_t> ch1;
};

class StorageProgramTest : public ::testing::Test {
protected:
    Held Read() {
        Held held;
        oxbow.UnderLock([&] {
            held.setup = *oxbow.Objects().setup;
            const auto samples = oxbow.GetSession().Acquisition().Analog(0);
            held.ch1.assign(samples.begin(), samples.begin() + held.setup.nAcqMemoryRec);
        });
        return held;
    }
    std::string Message() {
        std::string text;
        oxbow.UnderLock([&] { text = oxbow.Objects().setup->szSystemError; });
        return text;
    }
    bool WaitForMessage(const std::string& text) {
        return WaitFor([&] { return Message() == text; }, 5000);
    }
    // The setup as loaded over `before`, with the fields a load never takes from a file kept.
    static void ExpectRestored(const _OX_SETUP& now, const _OX_SETUP& saved,
                               const _OX_SETUP& before) {
        _OX_SETUP expected = saved;
        oxfile::KeepLiveFields(before, expected);
        std::memcpy(expected.szSystemError, now.szSystemError, sizeof now.szSystemError);
        const auto* a = reinterpret_cast<const unsigned char*>(&now);
        const auto* b = reinterpret_cast<const unsigned char*>(&expected);
        for (std::size_t i = 0; i < sizeof now; ++i)
            EXPECT_EQ(a[i], b[i]) << "setup byte " << i;
    }
    QString Path(const char* name) const { return folder.filePath(name); }

    PrivateConfigHome config; // the remembered folders stay private
    RunningOxbow oxbow{{"--sim", "--ch1", "sine,1k,4Vpp", "--run"}};
    QTemporaryDir folder;
};

TEST_F(StorageProgramTest, WaveformAndSetupRoundTripAndABadFileChangesNothing) {
    ASSERT_TRUE(oxbow.StopAndReadRecord());
    StorageMenu& storage = oxbow.Window().Storage();
    storage.SaveWaveformTo(Path("a.wfm"));
    ASSERT_TRUE(WaitForMessage("Save successful"));
    storage.SaveSetupTo(Path("a.set"));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(Path("a.set")); }, 5000));
    const Held saved = Read();
    ASSERT_EQ(saved.setup.bDataValid, 1);
    ASSERT_GT(saved.ch1.size(), 0u);

    // Other scales, and other samples once the instrument has run again.
    oxbow.SetScales(0.5f, 1e-3);
    oxbow.Window().Panel().Run();
    ASSERT_TRUE(WaitFor([&] { return Read().setup.fChanScale[0] == 0.5f; }, 5000));
    ASSERT_TRUE(oxbow.StopAndReadRecord());
    const Held before = Read();
    ASSERT_NE(before.ch1, saved.ch1);

    storage.LoadFile(oxacq::FileKind::Waveform, Path("a.wfm"));
    ASSERT_TRUE(WaitForMessage("Load successful"));
    const Held loaded = Read();
    ExpectRestored(loaded.setup, saved.setup, before.setup);
    EXPECT_EQ(loaded.ch1, saved.ch1);

    QFile garbage(Path("garbage.wfm"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray("WF") + QByteArray(20'000, '\x5A'));
    garbage.close();
    storage.LoadFile(oxacq::FileKind::Waveform, Path("garbage.wfm"));
    ASSERT_TRUE(WaitForMessage("Load failed"));
    const Held after = Read();
    ExpectRestored(after.setup, loaded.setup, loaded.setup);
    EXPECT_EQ(after.ch1, loaded.ch1);

    storage.LoadFile(oxacq::FileKind::Setup, Path("a.set"));
    ASSERT_TRUE(WaitForMessage("Load successful"));
    _OX_SETUP expected = saved.setup;
    expected.bDataValid = 0; // a setup file holds no waveform
    ExpectRestored(Read().setup, expected, after.setup);
}

TEST_F(StorageProgramTest, ThePictureIsSavedAtItsSizeAndReplacedOnlyAfterOk) {
    ASSERT_TRUE(oxbow.StopAndReadRecord());
    StorageMenu& storage = oxbow.Window().Storage();
    const std::pair<const char*, const char*> formats[] = {
        {"a.png", "png"}, {"a.bmp", "bmp"}, {"a.JPG", "jpeg"}};
    for (const auto& [name, format] : formats) {
        storage.SaveScreenTo(Path(name));
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(Path(name)); }, 3000)) << name;
        QImageReader reader(Path(name));
        EXPECT_EQ(reader.format(), format) << name;
        EXPECT_EQ(reader.size(), QSize(727, 434)) << name;
    }

    QFile::remove(Path("a.png"));
    QFile::copy(Path("a.bmp"), Path("a.png")); // not what a new save writes
    oxbow.Boxes().QueueAnswer(oxbow::MessageAnswer::Cancel);
    storage.SaveScreenTo(Path("a.png"));
    WaitFor([] { return false; }, 400);
    EXPECT_EQ(QImageReader(Path("a.png")).format(), "bmp") << "Cancel keeps the old file";
    ASSERT_EQ(oxbow.Boxes().Questions().size(), 1u);
    EXPECT_EQ(oxbow.Boxes().Questions()[0].text, kReplaceFileQuestion);
    oxbow.Boxes().QueueAnswer(oxbow::MessageAnswer::Ok);
    storage.SaveScreenTo(Path("a.png"));
    EXPECT_TRUE(WaitFor([&] { return QImageReader(Path("a.png")).format() == "png"; }, 3000));
}

TEST(StorageMenuItems, SavingWithoutAHeldWaveformSaysSo) {
    RunningOxbow oxbow({"--sim"});
    auto* item = oxbow.Window().findChild<QAction*>("SAVE_WAVEFORM");
    ASSERT_NE(item, nullptr);
    item->trigger();
    std::string text;
    EXPECT_TRUE(WaitFor(
        [&] {
            oxbow.UnderLock([&] { text = oxbow.Objects().setup->szSystemError; });
            return text == "Save channel is invalid";
        },
        3000))
        << text;
}

} // namespace
} // namespace oxapp::test
