// Every command payload decoder on any bytes. What decodes must encode, and
// encoding what that encoding decodes to must give the same bytes again (texts
// and booleans normalise once, then hold).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "zuvEComCommandCodec.h"

namespace {

uint8_t gFirst[64];
uint8_t gSecond[64];

template <typename Record, typename Decode, typename Encode>
void roundTrip(const uint8_t *data, size_t size, Decode decode, Encode encode) {
    Record record{};
    if (decode(data, size, &record) != ZUV_NO_ERROR) {
        return;
    }
    size_t firstSize = 0;
    if (encode(&record, gFirst, sizeof(gFirst), &firstSize) != ZUV_NO_ERROR || firstSize != size) {
        __builtin_trap();  // decoded what it cannot encode
    }
    Record again{};
    size_t secondSize = 0;
    if (decode(gFirst, firstSize, &again) != ZUV_NO_ERROR ||
        encode(&again, gSecond, sizeof(gSecond), &secondSize) != ZUV_NO_ERROR || secondSize != firstSize ||
        std::memcmp(gFirst, gSecond, firstSize) != 0) {
        __builtin_trap();
    }
}

struct OutputWithMode {
    ZuvEComOutputConf conf;
    bool withMode;
};

struct Uart {
    ZuvEComPortId port;
    ZuvEComInterfaceConf conf;
    bool hasConf;
};

struct Alignment {
    ZuvEComSensorAlignmentInfo info;
    float leverArm[3];
};

}  // namespace

#define ZUV_FUZZ_PLAIN(Record, Name)                                                                  \
    roundTrip<Record>(                                                                                \
        payload, size, [](const uint8_t *in, size_t n, Record *r) { return Name##Decode(in, n, r); }, \
        [](const Record *r, uint8_t *out, size_t cap, size_t *n) { return Name##Encode(r, out, cap, n); })

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t dataSize) {
    if (dataSize < 1 || dataSize > 1 + sizeof(gFirst)) {
        return 0;
    }
    const uint8_t *payload = data + 1;
    const size_t size = dataSize - 1;
    switch (data[0] % 15) {
        case 0: ZUV_FUZZ_PLAIN(ZuvEComAck, zuvEComAck); break;
        case 1: ZUV_FUZZ_PLAIN(ZuvEComDeviceInfo, zuvEComDeviceInfo); break;
        case 2: ZUV_FUZZ_PLAIN(ZuvEComFeatures, zuvEComFeatures); break;
        case 3: ZUV_FUZZ_PLAIN(ZuvEComModelInfo, zuvEComModelInfo); break;
        case 4: ZUV_FUZZ_PLAIN(ZuvEComInitConditionConf, zuvEComInitCondition); break;
        case 5: ZUV_FUZZ_PLAIN(ZuvEComAidingAssignConf, zuvEComAidingAssign); break;
        case 6: ZUV_FUZZ_PLAIN(ZuvEComGnssInstallation, zuvEComGnssInstallation); break;
        case 7: ZUV_FUZZ_PLAIN(ZuvEComGnssRejectionConf, zuvEComGnssRejection); break;
        case 8: ZUV_FUZZ_PLAIN(ZuvEComOdoConf, zuvEComOdoConf); break;
        case 9: ZUV_FUZZ_PLAIN(ZuvEComOdoRejectionConf, zuvEComOdoRejection); break;
        case 10: ZUV_FUZZ_PLAIN(ZuvEComAdvancedConf, zuvEComAdvancedConf); break;
        case 11:
            roundTrip<OutputWithMode>(
                payload, size,
                [](const uint8_t *in, size_t n, OutputWithMode *r) {
                    return zuvEComOutputConfDecode(in, n, &r->conf, &r->withMode);
                },
                [](const OutputWithMode *r, uint8_t *out, size_t cap, size_t *n) {
                    return zuvEComOutputConfEncode(&r->conf, r->withMode, out, cap, n);
                });
            break;
        case 12:
            roundTrip<Uart>(
                payload, size,
                [](const uint8_t *in, size_t n, Uart *r) {
                    return zuvEComUartConfDecode(in, n, &r->port, &r->conf, &r->hasConf);
                },
                [](const Uart *r, uint8_t *out, size_t cap, size_t *n) {
                    return zuvEComUartConfEncode(r->port, r->hasConf ? &r->conf : nullptr, out, cap, n);
                });
            break;
        case 13:
            roundTrip<Alignment>(
                payload, size,
                [](const uint8_t *in, size_t n, Alignment *r) {
                    return zuvEComSensorAlignmentDecode(in, n, &r->info, r->leverArm);
                },
                [](const Alignment *r, uint8_t *out, size_t cap, size_t *n) {
                    return zuvEComSensorAlignmentEncode(&r->info, r->leverArm, out, cap, n);
                });
            break;
        default:
            roundTrip<Alignment>(
                payload, size,
                [](const uint8_t *in, size_t n, Alignment *r) { return zuvEComLeverArmDecode(in, n, r->leverArm); },
                [](const Alignment *r, uint8_t *out, size_t cap, size_t *n) {
                    return zuvEComLeverArmEncode(r->leverArm, out, cap, n);
                });
            break;
    }
    return 0;
}
