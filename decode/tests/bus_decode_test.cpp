// Bus traffic made by the simulated instrument decodes to exactly the bytes it sent.
#include "decode_fixture.h"

namespace oxdecode::test {
namespace {

class BusDecode : public ::testing::Test {
protected:
    void SetUp() override { RequireDecoders(); }
};

TEST_F(BusDecode, UartOnAnAnalyzerLine) {
    const auto signals = Record({"uart,tx=D3,baud=115200,text=Hello", "", 1e-4});
    const DecodeResult result = DecodeRecord({Stack("uart:rx=D3:baudrate=115200")}, signals);
    ASSERT_EQ(result.stacks.size(), 1u);
    EXPECT_EQ(result.stacks[0].error, "");
    EXPECT_EQ(Bytes(result, "uart", "rx-data"), TextBytes("Hello"));
}

TEST_F(BusDecode, SpiOnFourAnalyzerLines) {
    const auto signals = Record(
        {"spi,clk=D8,mosi=D9,miso=D10,cs=D11,rate=1M,hex=9F0155AA,miso-hex=00EF4017", "", 5e-6});
    const DecodeResult result =
        DecodeRecord({Stack("spi:clk=D8:mosi=D9:miso=D10:cs=D11")}, signals);
    EXPECT_EQ(Bytes(result, "spi", "mosi-data"), (std::vector<int>{0x9F, 0x01, 0x55, 0xAA}));
    EXPECT_EQ(Bytes(result, "spi", "miso-data"), (std::vector<int>{0x00, 0xEF, 0x40, 0x17}));
}

TEST_F(BusDecode, I2cWriteOnTwoAnalyzerLines) {
    const auto signals = Record({"i2c,scl=D0,sda=D15,rate=100k,address=0x50,hex=0010AB", "", 5e-5});
    const DecodeResult result = DecodeRecord({Stack("i2c:scl=D0:sda=D15")}, signals);
    EXPECT_EQ(Bytes(result, "i2c", "address-write"), (std::vector<int>{0x50}));
    EXPECT_EQ(Bytes(result, "i2c", "data-write"), (std::vector<int>{0x00, 0x10, 0xAB}));
}

TEST_F(BusDecode, UartOnChannelOneThroughTheThreshold) {
    Capture capture;
    capture.ch1 = "uart,baud=115200,text=Hello,high=3.3V,noise=100mV";
    capture.triggerOnCh1Bus = true;
    const auto signals = Record(capture);
    ASSERT_TRUE(signals.logic.empty());
    const DecodeResult result = DecodeRecord({Stack("uart:rx=CH1:baudrate=115200")}, signals);
    EXPECT_EQ(Bytes(result, "uart", "rx-data"), TextBytes("Hello"));
}

} // namespace
} // namespace oxdecode::test
