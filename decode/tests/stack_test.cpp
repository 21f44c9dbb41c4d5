// The decoder list, the stack texts and their checks, thresholds and the text outputs.
#include "decode_fixture.h"

namespace oxdecode::test {
namespace {

class Stacks : public ::testing::Test {
protected:
    void SetUp() override { RequireDecoders(); }
};

TEST_F(Stacks, TheListDescribesChannelsTypedOptionsClassesAndRows) {
    EXPECT_GT(Decoders().size(), 100u);
    const DecoderInfo* uart = FindDecoder("uart");
    ASSERT_NE(uart, nullptr);
    EXPECT_EQ(uart->inputs, std::vector<std::string>{"logic"});
    EXPECT_EQ(uart->outputs, std::vector<std::string>{"uart"});
    ASSERT_NE(uart->FindChannel("rx"), nullptr);
    EXPECT_TRUE(uart->FindChannel("rx")->optional);
    EXPECT_EQ(uart->FindOption("baudrate")->defaultValue.type, OptionType::Int64);
    EXPECT_EQ(uart->FindOption("stop_bits")->defaultValue.type, OptionType::Double);
    const DecoderOption* parity = uart->FindOption("parity");
    EXPECT_EQ(parity->defaultValue.Text(), "none");
    EXPECT_GE(parity->values.size(), 3u);
    EXPECT_EQ(uart->classes[0].id, "rx-data");
    EXPECT_EQ(uart->rows[uart->RowOfClass(0)].desc, "RX");
    const DecoderInfo* i2c = FindDecoder("i2c");
    EXPECT_FALSE(i2c->FindChannel("scl")->optional);
    EXPECT_EQ(FindDecoder("no-such-decoder"), nullptr);
    // Every class of every decoder is shown by a row.
    for (const DecoderInfo& info : Decoders()) {
        for (std::size_t c = 0; c < info.classes.size(); ++c)
            EXPECT_GE(info.RowOfClass(static_cast<int>(c)), 0) << info.id << " " << c;
    }
}

TEST_F(Stacks, TextsNameChannelsAndOptionsAndStackWithCommas) {
    const StackSpec stack = Stack("i2c:scl=D0:sda=d15,eeprom24xx:chip=generic");
    ASSERT_EQ(stack.decoders.size(), 2u);
    EXPECT_EQ(stack.decoders[0].channels.at("sda"), Source{15});
    EXPECT_EQ(stack.decoders[1].options.at("chip"), "generic");
    EXPECT_EQ(stack.Text(), "i2c:scl=D0:sda=D15,eeprom24xx:chip=generic");
    EXPECT_EQ(Stack("uart:rx=ch2:baudrate=9600").decoders[0].channels.at("rx"),
              Source{Source::kCh2});
}

TEST_F(Stacks, BadTextsAreRefusedWithTheirReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "the stack holds no decoder"},
        {"uart:rx=D0,", "a decoder id is missing in \"\""},
        {"wobble:rx=D0", "unknown decoder \"wobble\""},
        {"uart:rx=D16", "uart: channel rx needs D0 .. D15, CH1 or CH2, not \"D16\""},
        {"uart:rx", "uart: expected key=value, not \"rx\""},
        {"uart:baudrate=9600", "uart: no channel has a source"},
        {"i2c:scl=D0", "i2c: channel sda needs a source"},
        {"uart:rx=D0:baudrate=fast", "uart: baudrate needs a number, not \"fast\""},
        {"uart:rx=D0:colour=red", "uart: unknown option or channel \"colour\""},
        {"uart:rx=D0:parity=maybe", "uart: parity is one of none, odd, even, zero, one, ignore, "
                                    "not \"maybe\""},
        {"uart:rx=D0,eeprom24xx", "eeprom24xx does not take what uart puts out"},
        {"eeprom24xx", "eeprom24xx decodes the output of another decoder, not lines"},
        {"i2c:scl=D0:sda=D1,eeprom24xx:scl=D2", "eeprom24xx: unknown option or channel \"scl\""},
    };
    for (const auto& [text, reason] : cases) {
        StackSpec stack;
        std::string error;
        EXPECT_FALSE(ParseStackText(text, stack, error)) << text;
        EXPECT_EQ(error, reason) << text;
    }
}

TEST_F(Stacks, AStackBuiltInCodeIsCheckedTheSameWay) {
    StackSpec stack = Stack("i2c:scl=D0:sda=D1,eeprom24xx");
    stack.decoders[1].channels["scl"] = Source{2};
    std::string error;
    EXPECT_FALSE(CheckStack(stack, error));
    EXPECT_EQ(error, "eeprom24xx: a stacked decoder takes no channels");
    stack = Stack("i2c:scl=D0:sda=D1");
    stack.decoders[0].channels["clock"] = Source{2};
    EXPECT_FALSE(CheckStack(stack, error));
    EXPECT_EQ(error, "i2c: unknown channel \"clock\"");
}

TEST(Threshold, HysteresisKeepsTheLevelThroughNoise) {
    // 0 V, noise just over the middle, 3.3 V, noise just under it, 0 V.
    const std::vector<float> volts{0.0f, 1.7f, 1.6f, 3.3f, 1.6f, 1.7f, 0.0f};
    EXPECT_EQ(ThresholdLine(volts, {}), (std::vector<std::uint8_t>{0, 0, 0, 1, 1, 1, 0}));
    const Threshold manual{false, 1.0, 0.2};
    EXPECT_EQ(ThresholdLine({0.95f, 1.05f, 1.15f, 0.95f, 0.85f}, manual),
              (std::vector<std::uint8_t>{0, 0, 1, 1, 0}));
    EXPECT_EQ(ThresholdLine({2.0f, 2.0f}, {}), (std::vector<std::uint8_t>{0, 0}));
}

TEST(AnnotationText, LinesAndCsvMergeTheStacksByStartSample) {
    DecodeResult result;
    result.sampleRate = 1e6;
    result.firstTime = -1e-3;
    result.stacks.resize(2);
    result.stacks[0].rows.push_back({0, "uart", "rx-data", "RX", {{30, 40, 0, {"65"}}}});
    result.stacks[1].rows.push_back(
        {0,
         "i2c",
         "addr-data",
         "Address/Data",
         {{10, 20, 7, {"Data write: 2C", "2C"}}, {30, 35, 9, {"Say \"a,b\""}}}});
    EXPECT_EQ(AnnotationLines(result), "10-20 i2c: Address/Data: Data write: 2C\n"
                                       "30-40 uart: RX: 65\n"
                                       "30-35 i2c: Address/Data: Say \"a,b\"\n");
    EXPECT_EQ(AnnotationCsv(result), "Time,Start,End,Decoder,Row,Text\n"
                                     "-0.00099,10,20,i2c,Address/Data,Data write: 2C\n"
                                     "-0.00097,30,40,uart,RX,65\n"
                                     "-0.00097,30,35,i2c,Address/Data,\"Say \"\"a,b\"\"\"\n");
}

} // namespace
} // namespace oxdecode::test
