#include "oxsim.h"

#include <gtest/gtest.h>

namespace oxbow::sim {
namespace {

TEST(SignalText, ReadsShapeFrequencyAndAmplitudeWithPrefixes) {
    SignalSource s;
    std::string error;
    ASSERT_TRUE(ParseSignalText("sine,1k,2Vpp", s, error)) << error;
    ASSERT_EQ(s.components.size(), 1u);
    EXPECT_EQ(s.components[0].shape, Waveshape::Sine);
    EXPECT_DOUBLE_EQ(s.components[0].frequency, 1000.0);
    EXPECT_DOUBLE_EQ(s.components[0].amplitude, 2.0);
    EXPECT_NEAR(s.Clean(0.25e-3), 1.0, 1e-9);
}

TEST(SignalText, SumsPartsAndTakesOptions) {
    SignalSource s;
    std::string error;
    ASSERT_TRUE(ParseSignalText("square,5k,500mVpp,duty=25%,offset=1V+noise,20mV", s, error))
        << error;
    ASSERT_EQ(s.components.size(), 1u);
    EXPECT_DOUBLE_EQ(s.components[0].duty, 0.25);
    EXPECT_DOUBLE_EQ(s.dcOffset, 1.0);
    EXPECT_DOUBLE_EQ(s.noise, 0.02);
    EXPECT_NEAR(s.Mean(), 1.0 + 0.5 * (0.25 - 0.5), 1e-12);
    double low = 0.0;
    double high = 0.0;
    s.Extremes(low, high);
    EXPECT_NEAR(low, 0.75, 1e-9);
    EXPECT_NEAR(high, 1.25, 1e-9);
}

TEST(SignalText, RefusesMalformedTextsAndKeepsTheOldSource) {
    SignalSource s;
    s.dcOffset = 7.0;
    std::string error;
    for (const char* bad : {"", "sine", "sine,1k", "sine,abc,1V", "wobble,1k,1V",
                            "sine,1k,1V,colour=red", "sine,-5,1V", "noise", "sine,1k,1Q"}) {
        EXPECT_FALSE(ParseSignalText(bad, s, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_DOUBLE_EQ(s.dcOffset, 7.0);
}

TEST(SignalText, WaveshapesHaveTheirDocumentedValues) {
    const auto at = [](Waveshape shape, double phase) {
        SignalSource s;
        SignalComponent c;
        c.shape = shape;
        c.amplitude = 2.0;
        s.components = {c};
        return s.Clean(phase / c.frequency);
    };
    EXPECT_NEAR(at(Waveshape::Triangle, 0.0), -1.0, 1e-12);
    EXPECT_NEAR(at(Waveshape::Triangle, 0.5), 1.0, 1e-12);
    EXPECT_NEAR(at(Waveshape::Ramp, 0.75), 0.5, 1e-12);
    EXPECT_NEAR(at(Waveshape::Square, 0.25), 1.0, 1e-12);
    EXPECT_NEAR(at(Waveshape::Square, 0.75), -1.0, 1e-12);
}

TEST(EngineeringNumbers, AcceptPrefixesAndUnitsOnly) {
    double v = 0.0;
    ASSERT_TRUE(ParseEngineering("2.5m", v));
    EXPECT_DOUBLE_EQ(v, 2.5e-3);
    ASSERT_TRUE(ParseEngineering("500uV", v));
    EXPECT_DOUBLE_EQ(v, 500e-6);
    ASSERT_TRUE(ParseEngineering("1MHz", v));
    EXPECT_DOUBLE_EQ(v, 1e6);
    EXPECT_FALSE(ParseEngineering("1x", v));
    EXPECT_FALSE(ParseEngineering("V", v));
    EXPECT_FALSE(ParseEngineering("nan", v));
}

TEST(DigitalText, CounterStepsAtItsRateAndPatternStaysPut) {
    DigitalSource d;
    std::string error;
    ASSERT_TRUE(ParseDigitalText("counter,1M", d, error)) << error;
    EXPECT_EQ(d.Value(0.0), 0);
    EXPECT_EQ(d.Value(10.5e-6), 10);
    EXPECT_EQ(d.Value(65537e-6), 1); // 16 lines wrap
    ASSERT_TRUE(ParseDigitalText("pattern,0x55AA", d, error)) << error;
    EXPECT_EQ(d.Value(123.0), 0x55AA);
    EXPECT_FALSE(ParseDigitalText("pattern,0x1FFFF", d, error));
    EXPECT_FALSE(ParseDigitalText("counter,0", d, error));
    EXPECT_FALSE(ParseDigitalText("random,1", d, error));
}

TEST(Models, TableGivesClassLimitAndLogicAnalyzer) {
    const ModelInfo a3m = LookUpModel("OXB-A3M");
    EXPECT_EQ(a3m.modelClass, 2);
    EXPECT_DOUBLE_EQ(a3m.minTimeScale, 5e-9);
    EXPECT_TRUE(a3m.logicAnalyzer);
    const ModelInfo a3 = LookUpModel("OXB-A3");
    EXPECT_EQ(a3.modelClass, 2);
    EXPECT_FALSE(a3.logicAnalyzer);
    const ModelInfo other = LookUpModel("XYZ-9M");
    EXPECT_EQ(other.modelClass, 0);
    EXPECT_FALSE(other.logicAnalyzer);
}

} // namespace
} // namespace oxbow::sim
