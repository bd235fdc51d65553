// Loading packages, creating instances, wiring errors.
#include "runtimeFixture.h"

namespace zuv::test {

using zuv::host::HostError;

namespace {

HostError::Code CodeOf(const std::function<void()> &call) {
    try {
        call();
    } catch (const HostError &e) {
        return e.code();
    }
    ADD_FAILURE() << "no HostError thrown";
    return HostError::Code::BadState;
}

}  // namespace

TEST_F(RuntimeTest, LoadsTheTestPackageModels) {
    auto models = runtime.Models();
    std::sort(models.begin(), models.end());
    EXPECT_EQ(models,
              (std::vector<std::string>{"TestCounter", "TestDynamic", "TestEcho", "TestLifecycle", "TestProperties"}));
    // Loading the same package again brings nothing new and no duplicates.
    auto again = runtime.LoadPackage(ZUV_TEST_PACKAGE);
    EXPECT_EQ(again.size(), 5u);
    EXPECT_EQ(runtime.Models().size(), 5u);
}

TEST_F(RuntimeTest, RefusesWhatIsNotAPackage) {
    EXPECT_EQ(CodeOf([&] { runtime.LoadPackage("/nonexistent/zuv.pck"); }), HostError::Code::LoadFailed);
    EXPECT_EQ(CodeOf([&] { runtime.LoadPackage("libm.so.6"); }), HostError::Code::LoadFailed);
}

TEST_F(RuntimeTest, InstanceNamesAndModelsAreChecked) {
    runtime.CreateInstance("TestLifecycle", "first");
    EXPECT_EQ(CodeOf([&] { runtime.CreateInstance("NoSuchModel", "a"); }), HostError::Code::NotFound);
    EXPECT_EQ(CodeOf([&] { runtime.CreateInstance("TestLifecycle", "9lives"); }), HostError::Code::BadValue);
    EXPECT_EQ(CodeOf([&] { runtime.CreateInstance("TestLifecycle", "has space"); }), HostError::Code::BadValue);
    EXPECT_EQ(CodeOf([&] { runtime.CreateInstance("TestLifecycle", "first"); }), HostError::Code::BadValue);
    EXPECT_NE(runtime.FindInstance("first"), nullptr);
    EXPECT_EQ(runtime.FindInstance("second"), nullptr);
}

TEST_F(RuntimeTest, ConnectionsCheckNamesTypesAndSingleProducer) {
    auto &counter = runtime.CreateInstance("TestCounter", "counter");
    auto &echo = runtime.CreateInstance("TestEcho", "echo");
    auto &dynamic = runtime.CreateInstance("TestDynamic", "dyn");
    EXPECT_EQ(CodeOf([&] { runtime.Connect(counter, "oNope", echo, "iIn"); }), HostError::Code::NotFound);
    EXPECT_EQ(CodeOf([&] { runtime.Connect(counter, "oCount", echo, "iNope"); }), HostError::Code::NotFound);
    EXPECT_EQ(CodeOf([&] { runtime.Connect(counter, "oCount", dynamic, "iFixed"); }), HostError::Code::Incompatible);
    runtime.Connect(counter, "oCount", echo, "iIn");
    auto &source = runtime.CreateSource("player", zuv::host::ElementType::Stream8, 16, 4);
    EXPECT_EQ(CodeOf([&] { runtime.Connect(source, echo, "iIn"); }), HostError::Code::Incompatible);
    EXPECT_EQ(CodeOf([&] { runtime.AttachSink(echo, "oNope", [](const zuv::host::SampleView &) {}); }),
              HostError::Code::NotFound);
}

TEST_F(RuntimeTest, TheProjectPackageLoadsThroughItsEntryPoints) {
    // zuv.pck carries the SDK's entry points although nothing in it calls them.
    EXPECT_NO_THROW(runtime.LoadPackage(ZUV_PROJECT_PACKAGE));
}

}  // namespace zuv::test
