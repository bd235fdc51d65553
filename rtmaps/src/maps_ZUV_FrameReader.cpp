// Definition, start, acquisition and stop of the frame reader.
#include "maps_ZUV_FrameReader.h"

#include <string>

#include "zuvFrameExtraction.h"
#include "zuvLogFrameWait.h"
#include "zuvOutputRateTable.h"
#include "zuvReaderLinkCalls.h"

namespace {

constexpr uint32_t kFlags = 0x1000000;
constexpr uint32_t kFlagsChangeableWhileRunning = 0x1000100;
// A frame is at most 4086 + 9 bytes: the element holds the largest one.
constexpr int kDataMaxSize = static_cast<int>(ZUV_ECOM_MAX_FRAME_SIZE);
constexpr int kAuxDataMaxSize = 4086;

const MAPSOutputDefinition kOutputs[] = {
    {"oData", MAPSType_Stream8, kDataMaxSize, 16},
    {"oAuxData", MAPSType_TextAscii, kAuxDataMaxSize, 16},
};

#define ZUV_RATE_PROPERTY(name) {name, MAPSPropertyValue::Enum(zuv::kRateChoices, 0), kFlags}

const MAPSPropertyDefinition kProperties[] = {
    {"pAlive", MAPSPropertyValue::Bool(true), kFlagsChangeableWhileRunning},
    {"pInterface", MAPSPropertyValue::Enum("Serial|UDP", 0), kFlags},
    {"pComPort", MAPSPropertyValue::String("/dev/ttyUSB0"), kFlags},
    {"pBaudRate", MAPSPropertyValue::Integer(115200), kFlags},
    {"pRemoteAdress", MAPSPropertyValue::String("192.168.1.1"), kFlags},
    {"pRemotePort", MAPSPropertyValue::Integer(5678), kFlags},
    {"pLocalPort", MAPSPropertyValue::Integer(1234), kFlags},
    {"pAuxComPort", MAPSPropertyValue::String(""), kFlags},
    {"pAuxBaudRate", MAPSPropertyValue::Integer(115200), kFlags},
    ZUV_RATE_PROPERTY("pStatus"),
    ZUV_RATE_PROPERTY("pUtcTime"),
    ZUV_RATE_PROPERTY("pImuData"),
    ZUV_RATE_PROPERTY("pMag"),
    ZUV_RATE_PROPERTY("pMagCalib"),
    ZUV_RATE_PROPERTY("pEkfEuler"),
    ZUV_RATE_PROPERTY("pEkfQuat"),
    ZUV_RATE_PROPERTY("pEkfNav"),
    ZUV_RATE_PROPERTY("pGps1Vel"),
    ZUV_RATE_PROPERTY("pGps1Pos"),
    ZUV_RATE_PROPERTY("pGps1Hdt"),
    ZUV_RATE_PROPERTY("pGps1Raw"),
    ZUV_RATE_PROPERTY("pGps2Vel"),
    ZUV_RATE_PROPERTY("pGps2Pos"),
    ZUV_RATE_PROPERTY("pGps2Hdt"),
    ZUV_RATE_PROPERTY("pGps2Raw"),
    ZUV_RATE_PROPERTY("pOdoVel"),
    ZUV_RATE_PROPERTY("pEventA"),
    ZUV_RATE_PROPERTY("pEventB"),
    ZUV_RATE_PROPERTY("pEventC"),
    ZUV_RATE_PROPERTY("pEventD"),
    ZUV_RATE_PROPERTY("pEventE"),
    ZUV_RATE_PROPERTY("pDvlBottomTrack"),
    ZUV_RATE_PROPERTY("pDvlWaterTrack"),
    ZUV_RATE_PROPERTY("pAirData"),
    ZUV_RATE_PROPERTY("pUsbl"),
};

#undef ZUV_RATE_PROPERTY

const MAPSActionDefinition kActions[] = {
    {"aLifeChecking", &MAPSAdvancedComponent::LifeChecking, 1},
    {"aAutoDetection", static_cast<MAPSActionFunction>(&MAPSZUV_FrameReader::AutoDetection), 1},
    {"aAutoAuxDetection", static_cast<MAPSActionFunction>(&MAPSZUV_FrameReader::AutoAuxDetection), 1},
};

MAPSComponentDefinition readerDefinition = {
    "ZUV_FrameReader",
    "1.0",
    &MAPSZUV_FrameReader::Instantiate,
    128,
    MAPS::Threaded,
    MAPS_NO_TABLE,
    MAPS_TABLE(kOutputs),
    MAPS_TABLE(kProperties),
    MAPS_TABLE(kActions),
    -1,
    1,
    2,
    -1,
};

MAPSString textProperty(MAPSModule &module, const char *name) {
    MAPSString value;
    module.Get(module.Property(name), value);
    return value;
}

long long integerProperty(MAPSModule &module, const char *name) {
    long long value = 0;
    module.Get(module.Property(name), value);
    return value;
}

}  // namespace

MAPS_REGISTER_COMPONENT(MAPSZUV_FrameReader, readerDefinition, "ZUV_FrameReader", "1.0");

MAPSZUV_FrameReader::MAPSZUV_FrameReader(const char *name, MAPSComponentDefinition &definition)
    : MAPSAdvancedComponent(name, definition), link_(zuv::ReaderLinkCalls()) {}

ZuvErrorCode MAPSZUV_FrameReader::Quarvelis_zuvEComProtocolReceive(ZuvEComProtocol *protocol, uint8_t *msgClass,
                                                                   uint8_t *msgId, void *payload,
                                                                   size_t *payloadSize, size_t maxSize,
                                                                   uint16_t &frameCrc) {
    return zuv::Quarvelis_zuvEComProtocolReceive(protocol, msgClass, msgId, payload, payloadSize, maxSize,
                                                 frameCrc);
}

void MAPSZUV_FrameReader::Dynamic() {
    MAPSEnumStruct interfaceChoice;
    Get(Property("pInterface"), interfaceChoice);
    const MAPSString interfaceText = interfaceChoice.SelectedText();
    const bool serial = interfaceText == "Serial";
    if (serial) {
        NewProperty("pComPort");
        NewProperty("pBaudRate");
    } else if (interfaceText == "UDP") {
        NewProperty("pRemoteAdress");
        NewProperty("pRemotePort");
        NewProperty("pLocalPort");
    }
    NewProperty("pAuxComPort");
    NewProperty("pAuxBaudRate");
    if (serial) {
        for (const zuv::RateProperty &rate : zuv::kRateProperties) {
            NewProperty(rate.property);
        }
    }
    if (!textProperty(*this, "pAuxComPort").IsEmpty()) {
        NewOutput("oAuxData");
    }
}

void MAPSZUV_FrameReader::Birth() {
    data_ = &Output("oData");
    if (!linkPropertiesInRange()) {
        CommitSuicide();
        return;
    }
    // A stop during start-up abandons the command being waited for.
    link_.SetAbortCheck(&MAPSZUV_FrameReader::abortWhenDying, this);
    MAPSEnumStruct interfaceChoice;
    Get(Property("pInterface"), interfaceChoice);
    const MAPSString interfaceText = interfaceChoice.SelectedText();
    bool connected = false;
    if (interfaceText == "Serial") {
        connected = birthSerial();
    } else if (interfaceText == "UDP") {
        connected = birthUdp();
    } else {
        Report("No interface specified./n", 0);
        CommitSuicide();
    }
    if (connected) {
        birthAux();
    }
}

bool MAPSZUV_FrameReader::birthSerial() {
    Report("Start if serial", 0);
    const long long baudRate = integerProperty(*this, "pBaudRate");
    const MAPSString port = textProperty(*this, "pComPort");
    std::unique_lock<std::mutex> lock(linkMutex_);
    const ZuvErrorCode rc = link_.Connect(std::string(port.c_str()), static_cast<uint32_t>(baudRate), false);
    if (rc != ZUV_NO_ERROR) {
        lock.unlock();
        Report("ZUV Serial Error", 0);
        const std::string text = std::string("Unable to connect to the device ") + port.c_str() +
                                 ", baudrate: " + std::to_string(baudRate) +
                                 ". ZUV Error Code: " + std::to_string(static_cast<int>(rc)) + ".";
        Report(text.c_str(), 0);
        CommitSuicide();
        return false;
    }
    linkOpen_ = true;
    // Commands share the receive buffer with Core's extraction: all of them are
    // answered before the first read.
    ConfigureOutputRate();
    return true;
}

bool MAPSZUV_FrameReader::birthUdp() {
    const long long localPort = integerProperty(*this, "pLocalPort");
    const long long remotePort = integerProperty(*this, "pRemotePort");
    const MAPSString address = textProperty(*this, "pRemoteAdress");
    std::unique_lock<std::mutex> lock(linkMutex_);
    const ZuvErrorCode rc = link_.Connect(std::string(address.c_str()), static_cast<uint32_t>(remotePort),
                                          static_cast<uint32_t>(localPort));
    if (rc != ZUV_NO_ERROR) {
        lock.unlock();
        const std::string text = std::string("Unable to connect to the device ") + address.c_str() +
                                 ", remote port: " + std::to_string(remotePort) +
                                 ", local port: " + std::to_string(localPort) +
                                 ". ZUV Error Code: " + std::to_string(static_cast<int>(rc)) + ".";
        Report(text.c_str(), 2);
        CommitSuicide();
        return false;
    }
    linkOpen_ = true;
    return true;
}

void MAPSZUV_FrameReader::birthAux() {
    const MAPSString port = textProperty(*this, "pAuxComPort");
    if (port.IsEmpty()) {
        return;
    }
    const long long baudRate = integerProperty(*this, "pAuxBaudRate");
    ZuvErrorCode rc;
    {
        std::lock_guard<std::mutex> lock(auxMutex_);
        rc = link_.ConnectAux(std::string(port.c_str()), static_cast<uint32_t>(baudRate));
    }
    if (rc == ZUV_NO_ERROR) {
        Report("Start Threat COM", 0);
    } else {
        const std::string text = std::string("Unable to connect to the aux device ") + port.c_str() +
                                 ", baudrate: " + std::to_string(baudRate) +
                                 ". ZUV Error Code: " + std::to_string(static_cast<int>(rc)) + ".";
        Report(text.c_str(), 2);
    }
    CreateThread(&MAPSZUV_FrameReader::ReadAuxFramesThread);
}

void MAPSZUV_FrameReader::Core() {
    zuv::LogFrame frame;
    auto receive = [this](zuv::LogFrame &f) {
        // A detection holding the link, or a link it left closed, reads as "no bytes yet".
        std::unique_lock<std::mutex> lock(linkMutex_, std::try_to_lock);
        if (!lock.owns_lock() || !linkOpen_) {
            return ZUV_NOT_READY;
        }
        return Quarvelis_zuvEComProtocolReceive(link_.GetHandle(), &f.msgClass, &f.msgId, f.payload,
                                                &f.payloadSize, sizeof f.payload, f.crc);
    };
    if (!zuv::WaitForLogFrame(receive, frame, zuv::PlatformWaitClock(), [this] { return IsDying(); })) {
        return;
    }
    MAPSIOElt *element = StartWriting(*data_);
    if (element == nullptr) {
        return;
    }
    const size_t size = zuv::WriteFrameBytes(frame, element->Stream8());
    element->Timestamp() = MAPS::CurrentTime(true, true);
    element->VectorSize() = static_cast<int>(size);
    StopWriting(element, false);
}

void MAPSZUV_FrameReader::Death() {
    {
        std::lock_guard<std::mutex> lock(linkMutex_);
        link_.Disconnect();
        linkOpen_ = false;
    }
    std::lock_guard<std::mutex> lock(auxMutex_);
    if (link_.GetAuxInterface() != nullptr) {
        link_.DisconnectAux();
    }
}
