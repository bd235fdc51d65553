// Every enumerated command field: the first value past its set is refused in
// both directions, and nothing the caller handed in is written.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "zuvEComCommandCodec.h"

namespace zuv::test {
namespace {

using Bytes = std::vector<uint8_t>;

struct OutOfSet {
    std::string name;
    size_t size;                                                  // payload size
    size_t offset;                                                // of the enumerated field
    uint8_t value;                                                // first value outside its set (low byte)
    std::function<ZuvErrorCode(const uint8_t *, size_t)> decode;  // into a sentinel-filled record
};

// ctest lists the case by what it pokes, not by the bytes of the struct.
void PrintTo(const OutOfSet &c, std::ostream *os) {
    *os << c.name << " (byte " << c.offset << " of " << c.size << " = " << unsigned(c.value) << ")";
}

template <typename Record, typename Decode>
std::function<ZuvErrorCode(const uint8_t *, size_t)> untouched(Decode decode) {
    return [decode](const uint8_t *in, size_t size) {
        Record record;
        std::memset(&record, 0xA5, sizeof(record));
        Record before;
        std::memcpy(&before, &record, sizeof(record));
        const ZuvErrorCode result = decode(in, size, &record);
        if (result != ZUV_NO_ERROR) {
            EXPECT_EQ(std::memcmp(&before, &record, sizeof(record)), 0) << "record written on refusal";
        }
        return result;
    };
}

std::vector<OutOfSet> cases() {
    auto alignment = untouched<ZuvEComSensorAlignmentInfo>([](const uint8_t *in, size_t size, auto *out) {
        float arm[3] = {1, 2, 3};
        const ZuvErrorCode result = zuvEComSensorAlignmentDecode(in, size, out, arm);
        if (result != ZUV_NO_ERROR) {
            EXPECT_EQ(arm[0], 1.0f);
        }
        return result;
    });
    auto installation = untouched<ZuvEComGnssInstallation>(
        [](const uint8_t *in, size_t size, auto *out) { return zuvEComGnssInstallationDecode(in, size, out); });
    auto rejection = untouched<ZuvEComGnssRejectionConf>(
        [](const uint8_t *in, size_t size, auto *out) { return zuvEComGnssRejectionDecode(in, size, out); });
    auto odoRejection = untouched<ZuvEComOdoRejectionConf>(
        [](const uint8_t *in, size_t size, auto *out) { return zuvEComOdoRejectionDecode(in, size, out); });
    auto advanced = untouched<ZuvEComAdvancedConf>(
        [](const uint8_t *in, size_t size, auto *out) { return zuvEComAdvancedConfDecode(in, size, out); });
    auto output = untouched<ZuvEComOutputConf>([](const uint8_t *in, size_t size, auto *out) {
        bool withMode = false;
        return zuvEComOutputConfDecode(in, size, out, &withMode);
    });
    auto uart = untouched<ZuvEComInterfaceConf>([](const uint8_t *in, size_t size, auto *out) {
        ZuvEComPortId port = ZUV_ECOM_IF_COM_A;  // 0, which a refusal must leave
        bool hasConf = false;
        const ZuvErrorCode result = zuvEComUartConfDecode(in, size, &port, out, &hasConf);
        if (result != ZUV_NO_ERROR) {
            EXPECT_EQ(port, ZUV_ECOM_IF_COM_A);
            EXPECT_FALSE(hasConf);
        }
        return result;
    });
    return {
        {"AlignmentAxisX", 26, 0, 6, alignment},
        {"AlignmentAxisY", 26, 1, 6, alignment},
        {"InstallationModeAbove", 26, 25, 5, installation},
        {"InstallationModeZero", 26, 25, 0, installation},
        {"GnssRejectionPosition", 3, 0, 3, rejection},
        {"GnssRejectionVelocity", 3, 1, 3, rejection},
        {"GnssRejectionHdt", 3, 2, 3, rejection},
        {"OdoRejection", 1, 0, 3, odoRejection},
        {"TimeReference", 1, 0, 3, advanced},
        {"OutputPort", 5, 0, 5, output},
        {"OutputClass", 5, 1, 2, output},
        {"OutputMode", 5, 3, 3, output},
        {"OutputSelectorPort", 3, 0, 5, output},
        {"UartPort", 6, 0, 5, uart},
        {"UartSelectorPort", 1, 0, 5, uart},
        {"UartMode", 6, 5, 3, uart},
    };
}

class CommandValueSets : public ::testing::TestWithParam<OutOfSet> {};

TEST_P(CommandValueSets, DecodeRefusesTheFirstValuePastTheSet) {
    const OutOfSet &c = GetParam();
    Bytes wire(c.size, 0);
    if (c.name.rfind("Installation", 0) == 0) wire[25] = 1;  // a valid mode where the case pokes elsewhere
    ASSERT_EQ(c.decode(wire.data(), wire.size()), ZUV_NO_ERROR) << "all-zero payload is valid";
    wire[c.offset] = c.value;
    EXPECT_EQ(c.decode(wire.data(), wire.size()), ZUV_INVALID_PARAMETER);
}

INSTANTIATE_TEST_SUITE_P(EveryEnumeratedField, CommandValueSets, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<OutOfSet> &p) { return p.param.name; });

TEST(CommandValueSets, EncodeRefusesBeforeWritingAnything) {
    Bytes out(8, 0xEE);
    size_t size = 99;
    ZuvEComGnssRejectionConf rejection{ZUV_ECOM_AUTOMATIC_MODE, ZUV_ECOM_AUTOMATIC_MODE,
                                       static_cast<ZuvEComRejectionMode>(3)};
    EXPECT_EQ(zuvEComGnssRejectionEncode(&rejection, out.data(), out.size(), &size), ZUV_INVALID_PARAMETER);
    ZuvEComOutputConf output{ZUV_ECOM_OUTPUT_PORT_A, ZUV_ECOM_CLASS_LOG_ECOM_0, 1, static_cast<ZuvEComOutputMode>(3)};
    EXPECT_EQ(zuvEComOutputConfEncode(&output, true, out.data(), out.size(), &size), ZUV_INVALID_PARAMETER);
    ZuvEComInterfaceConf uart{115200, static_cast<ZuvEComPortMode>(3)};
    EXPECT_EQ(zuvEComUartConfEncode(ZUV_ECOM_IF_COM_A, &uart, out.data(), out.size(), &size), ZUV_INVALID_PARAMETER);
    EXPECT_EQ(out, Bytes(8, 0xEE));
    EXPECT_EQ(size, 99u);
    // The selector carries no mode, so a bad mode is not its concern.
    EXPECT_EQ(zuvEComOutputConfEncode(&output, false, out.data(), out.size(), &size), ZUV_NO_ERROR);
    EXPECT_EQ(size, ZUV_ECOM_OUTPUT_SELECTOR_SIZE);
}

}  // namespace
}  // namespace zuv::test
