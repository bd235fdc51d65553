// Test components that move samples: a counting producer and an echoing consumer.
#include "maps.hpp"

namespace zuv::test {
namespace {

// Writes pTotal Integer64 samples 0, 1, 2... (time stamp = value), then idles.
class TestCounter : public MAPSComponent {
public:
    MAPS_COMPONENT_FACTORY(TestCounter)
    TestCounter(const char *name, MAPSComponentDefinition &definition) : MAPSComponent(name, definition) {}
    void Birth() override {
        next_ = 0;
        total_ = GetIntegerProperty("pTotal");
    }
    void Core() override {
        if (next_ >= total_) {
            Rest(100000);
            return;
        }
        MAPSIOElt *element = StartWriting(Output("oCount"));
        element->Integer64(0) = next_;
        element->VectorSize() = 1;
        element->Timestamp() = next_;
        StopWriting(element);
        ++next_;
    }
    void Death() override {}

private:
    MAPSInt64 next_ = 0;
    MAPSInt64 total_ = 0;
};

// For every sample on iIn writes [value, host clock] on oEcho with the
// sample's time stamp. pSlowEvery > 0 rests 1 ms every that many samples.
// pDeathEcho writes one more sample [-1, -1] from Death.
class TestEcho : public MAPSComponent {
public:
    MAPS_COMPONENT_FACTORY(TestEcho)
    TestEcho(const char *name, MAPSComponentDefinition &definition) : MAPSComponent(name, definition) {}
    void Birth() override {
        seen_ = 0;
        slowEvery_ = GetIntegerProperty("pSlowEvery");
    }
    void Core() override {
        MAPSIOElt *in = StartReading(Input("iIn"));
        MAPSIOElt *out = StartWriting(Output("oEcho"));
        out->Integer64(0) = in->VectorSize() > 0 ? FirstValue(*in) : -1;
        out->Integer64(1) = MAPS::CurrentTime(true, true);
        out->VectorSize() = 2;
        out->Timestamp() = in->Timestamp();
        StopWriting(out);
        if (slowEvery_ > 0 && ++seen_ % slowEvery_ == 0) Rest(1000);
    }
    void Death() override { Report("Death"); }

private:
    static MAPSInt64 FirstValue(MAPSIOElt &in) {
        return in.Type() == MAPS::Stream8 ? in.Stream8()[0] : in.Integer64(0);
    }
    MAPSInt64 seen_ = 0;
    MAPSInt64 slowEvery_ = 0;
};

const MAPSOutputDefinition kCounterOutputs[] = {{"oCount", MAPS::Integer64, 1, 16}};
const MAPSPropertyDefinition kCounterProperties[] = {{"pTotal", MAPSPropertyValue::Integer(1000), 0x1000000}};
MAPSComponentDefinition counterDefinition = {"TestCounter",
                                             "1.0",
                                             &TestCounter::Instantiate,
                                             128,
                                             MAPS::Threaded,
                                             MAPS_NO_TABLE,
                                             MAPS_TABLE(kCounterOutputs),
                                             MAPS_TABLE(kCounterProperties),
                                             MAPS_NO_TABLE,
                                             -1,
                                             -1,
                                             -1,
                                             -1};

const MAPSInputDefinition kEchoInputs[] = {
    {"iIn", {MAPSTypeBit(MAPSType_Integer64) | MAPSTypeBit(MAPSType_Stream8), "Integer64|Stream8"}}};
const MAPSOutputDefinition kEchoOutputs[] = {{"oEcho", MAPS::Integer64, 2, 16}};
const MAPSPropertyDefinition kEchoProperties[] = {{"pSlowEvery", MAPSPropertyValue::Integer(0), 0x1000000}};
MAPSComponentDefinition echoDefinition = {"TestEcho",
                                          "1.0",
                                          &TestEcho::Instantiate,
                                          128,
                                          MAPS::Threaded,
                                          MAPS_TABLE(kEchoInputs),
                                          MAPS_TABLE(kEchoOutputs),
                                          MAPS_TABLE(kEchoProperties),
                                          MAPS_NO_TABLE,
                                          -1,
                                          -1,
                                          -1,
                                          -1};

}  // namespace

MAPS_REGISTER_COMPONENT(TestCounter, counterDefinition, "TestCounter", "1.0");
MAPS_REGISTER_COMPONENT(TestEcho, echoDefinition, "TestEcho", "1.0");

}  // namespace zuv::test
