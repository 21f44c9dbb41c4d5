#include "oxbow_ui.h"
#include "scripted_endpoint.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using oxbow::testing::ScriptedEndpoint;
namespace usb = oxbow::usb;

namespace {

class SimTransport : public ::testing::Test {
protected:
    void SetUp() override {
        usb::SelectBackend(usb::Backend::Sim);
        usb::AttachEndpoint(&endpoint);
    }
    void TearDown() override { usb::DetachEndpoint(); }

    ScriptedEndpoint endpoint;
};

} // namespace

TEST_F(SimTransport, ForwardsControlRequestsInArgumentOrderAndKeepsTheirResult) {
    endpoint.controlResults[15] = 2;
    EXPECT_EQ(UsbControlRequest(0, 2, 780, 0, 0), 1);
    EXPECT_EQ(UsbControlRequest(0, 15, 7, 9, 0), 2); // "exactly 1" is the caller's test
    using Call = ScriptedEndpoint::Call;
    EXPECT_EQ(endpoint.CallsOf("ControlRequest"),
              (std::vector<Call>{{"ControlRequest", 2, 780, 0}, {"ControlRequest", 15, 7, 9}}));
}

TEST_F(SimTransport, ControlReadDeliversTheDataStage) {
    endpoint.controlReadData = {0x10, 0x20, 0x30, 0x40};
    std::uint8_t word[4] = {};
    EXPECT_EQ(UsbControlRead(0, 4, 0, 3, 4, word), 1);
    EXPECT_EQ(word[0], 0x10);
    EXPECT_EQ(word[3], 0x40);
    EXPECT_EQ(endpoint.CallsOf("ControlRead").at(0),
              (ScriptedEndpoint::Call{"ControlRead", 4, 0, 3, 4}));
    std::uint8_t longer[8] = {};
    EXPECT_EQ(UsbControlRead(0, 5, 3, 0, 8, longer), 0); // fewer bytes than asked
}

TEST_F(SimTransport, ByteWritesAndPhasedReadsReachTheInstrument) {
    EXPECT_NE(UsbWriteByte(0, ':'), 0);
    EXPECT_NE(UsbWriteByte(0, 0x0D), 0);
    EXPECT_EQ(endpoint.written, (std::vector<std::uint8_t>{':', 0x0D}));
    endpoint.bytesAccepted = 2;
    EXPECT_EQ(UsbWriteByte(0, 'X'), 0);

    endpoint.replyLength = 3;
    endpoint.replyBody = {'a', 'b', 'c'};
    std::uint8_t buffer[8] = {};
    ASSERT_NE(UsbReadBytes(0, 0, 1, buffer), 0);
    EXPECT_EQ(buffer[0], 3);
    ASSERT_NE(UsbReadBytes(0, 1, 3, buffer), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "abc");
    const auto reads = endpoint.CallsOf("ReadBytes");
    EXPECT_EQ(reads[0].request, 0);
    EXPECT_EQ(reads[1].request, 1);
    EXPECT_EQ(reads[1].length, 3);
    endpoint.failBody = true;
    EXPECT_EQ(UsbReadBytes(0, 1, 3, buffer), 0);
}

TEST_F(SimTransport, BulkTransfersMoveTheWholeLength) {
    UsbControlRequest(0, 12, 0, 0, 0);
    std::vector<std::uint8_t> block(260);
    EXPECT_NE(UsbBulkRead(0, 260, block.data()), 0);
    EXPECT_EQ(block.front(), 12);
    EXPECT_EQ(block.back(), 12);

    const std::vector<std::uint8_t> out{1, 2, 3};
    EXPECT_NE(UsbBulkWrite(0, 3, out.data()), 0);
    ASSERT_EQ(endpoint.bulkWrites.size(), 1u);
    EXPECT_EQ(endpoint.bulkWrites[0], out);
    endpoint.bulkWriteOk = false;
    EXPECT_EQ(UsbBulkWrite(0, 3, out.data()), 0);
}

TEST_F(SimTransport, BadArgumentsFailWithoutReachingTheInstrument) {
    std::uint8_t buffer[4];
    EXPECT_EQ(UsbReadBytes(0, 1, -1, buffer), 0);
    EXPECT_EQ(UsbReadBytes(0, 1, 4, nullptr), 0);
    EXPECT_EQ(UsbControlRead(0, 4, 0, 0, 4, nullptr), 0);
    EXPECT_EQ(UsbBulkRead(0, -5, buffer), 0);
    EXPECT_EQ(UsbBulkWrite(0, 4, nullptr), 0);
    EXPECT_TRUE(endpoint.calls.empty());
}

TEST_F(SimTransport, OneDeviceAtHandleZeroWhilePresent) {
    EXPECT_EQ(UsbDeviceCount(), 1);
    EXPECT_EQ(UsbWriteByte(1, 'x'), 0); // no second instrument
    endpoint.present = false;
    EXPECT_EQ(UsbDeviceCount(), 0);
    EXPECT_EQ(UsbControlRequest(0, 6, 0, 0, 0), 0);
    endpoint.present = true;
    usb::DetachEndpoint();
    EXPECT_EQ(UsbDeviceCount(), 0);
    EXPECT_EQ(UsbWriteByte(0, 'x'), 0);
    EXPECT_TRUE(endpoint.CallsOf("ControlRequest").empty());
}

namespace {

// An instrument whose bulk read holds until the test lets it go.
class HeldEndpoint : public ScriptedEndpoint {
public:
    bool BulkRead(int length, std::uint8_t* buffer) override {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
        return ScriptedEndpoint::BulkRead(length, buffer);
    }
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool released = false;
};

} // namespace

TEST(SimTransportDetach, DetachWaitsForTheCallInProgress) {
    HeldEndpoint held;
    usb::SelectBackend(usb::Backend::Sim);
    usb::AttachEndpoint(&held);
    std::uint8_t buffer[4];
    std::thread reader([&] { UsbBulkRead(0, 4, buffer); });
    {
        std::unique_lock lock(held.mutex);
        held.changed.wait(lock, [&] { return held.entered; });
    }
    std::atomic<bool> detached{false};
    std::thread detacher([&] {
        usb::DetachEndpoint();
        detached = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(detached);
    {
        std::lock_guard lock(held.mutex);
        held.released = true;
    }
    held.changed.notify_all();
    reader.join();
    detacher.join();
    EXPECT_TRUE(detached);
    EXPECT_EQ(UsbDeviceCount(), 0);
}

TEST(UsbBackendChoice, EnvironmentChoosesTheSimulatorOnlyForSim) {
    setenv("OXBOW_USB", "sim", 1);
    EXPECT_EQ(usb::BackendFromEnvironment(), usb::Backend::Sim);
    setenv("OXBOW_USB", "libusb", 1);
    EXPECT_EQ(usb::BackendFromEnvironment(), usb::Backend::Libusb);
    unsetenv("OXBOW_USB");
    EXPECT_EQ(usb::BackendFromEnvironment(), usb::Backend::Libusb);
    usb::SelectBackend(usb::Backend::Sim);
    EXPECT_EQ(usb::SelectedBackend(), usb::Backend::Sim);
}

TEST(UsbBackendChoice, DeviceIdParsesOnlyTwoHexWords) {
    usb::UsbDeviceId id{1, 2};
    EXPECT_TRUE(usb::ParseDeviceId("abcd:0DB0", id));
    EXPECT_EQ(id.vendor, 0xABCD);
    EXPECT_EQ(id.product, 0x0DB0);
    for (const char* bad : {"", "abcd", "abcd:", "12345:1", "zz:12", "abcd:0db0x", "abcd 0db0"}) {
        usb::UsbDeviceId unchanged{1, 2};
        EXPECT_FALSE(usb::ParseDeviceId(bad, unchanged)) << bad;
        EXPECT_EQ(unchanged.vendor, 1);
    }
    EXPECT_FALSE(usb::ParseDeviceId(nullptr, id));
}

// This machine has no instrument: the real back end must say so and fail every transfer.
TEST(LibusbTransport, NoInstrumentMeansCountZeroAndFailedTransfers) {
    usb::SelectBackend(usb::Backend::Libusb);
    usb::SetDeviceId(usb::kDefaultDeviceId);
    EXPECT_EQ(UsbDeviceCount(), 0);
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(UsbWriteByte(0, ':'), 0);
    EXPECT_EQ(UsbReadBytes(0, 0, 1, buffer), 0);
    EXPECT_EQ(UsbControlRequest(0, 6, 0, 0, 0), 0);
    EXPECT_EQ(UsbControlRead(0, 4, 0, 3, 4, buffer), 0);
    EXPECT_EQ(UsbBulkRead(0, 4, buffer), 0);
    EXPECT_EQ(UsbBulkWrite(0, 4, buffer), 0);
    usb::SelectBackend(usb::Backend::Sim);
}
