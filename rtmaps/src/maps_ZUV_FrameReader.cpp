// Definition, start, acquisition and stop of the frame reader.
#include "maps_ZUV_FrameReader.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zuvEComLogCatalogue.h"
#include "zuvFrameExtraction.h"
#include "zuvLogFrameWait.h"
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
    {"oLinkStatistics", MAPSType_Integer64, static_cast<int>(zuv::kLinkCountSize), 16},
};

constexpr MAPSPropertyDefinition kLinkProperties[] = {
    {"pAlive", MAPSPropertyValue::Bool(true), kFlagsChangeableWhileRunning},
    {"pInterface", MAPSPropertyValue::Enum("Serial|UDP", 0), kFlags},
    {"pComPort", MAPSPropertyValue::String("/dev/ttyUSB0"), kFlags},
    {"pBaudRate", MAPSPropertyValue::Integer(115200), kFlags},
    {"pRemoteAdress", MAPSPropertyValue::String("192.168.1.1"), kFlags},
    {"pRemotePort", MAPSPropertyValue::Integer(5678), kFlags},
    {"pLocalPort", MAPSPropertyValue::Integer(1234), kFlags},
    {"pAuxComPort", MAPSPropertyValue::String(""), kFlags},
    {"pAuxBaudRate", MAPSPropertyValue::Integer(115200), kFlags},
};
constexpr size_t kLinkPropertyCount = sizeof(kLinkProperties) / sizeof(kLinkProperties[0]);

// Declared after the rate properties, so the leading table stays as it was.
constexpr MAPSPropertyDefinition kFieldLinkProperties[] = {
    {"pReconnect", MAPSPropertyValue::Bool(true), kFlags},
    {"pLinkStatistics", MAPSPropertyValue::Bool(false), kFlags},
};
constexpr size_t kFieldLinkPropertyCount = sizeof(kFieldLinkProperties) / sizeof(kFieldLinkProperties[0]);
constexpr size_t kPropertyCount = kLinkPropertyCount + zuv::catalogue::kLogKindCount + kFieldLinkPropertyCount;

// The link properties, then one rate property per log kind, then the field-link ones.
constexpr std::array<MAPSPropertyDefinition, kPropertyCount> kProperties = [] {
    std::array<MAPSPropertyDefinition, kPropertyCount> table{};
    size_t next = 0;
    for (const MAPSPropertyDefinition &property : kLinkProperties) table[next++] = property;
    for (const zuv::catalogue::LogKind &kind : zuv::catalogue::kLogKinds) {
        table[next++] = {kind.property, MAPSPropertyValue::Enum(zuv::catalogue::kRateChoiceText, 0), kFlags};
    }
    for (const MAPSPropertyDefinition &property : kFieldLinkProperties) table[next++] = property;
    return table;
}();

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
    kProperties.data(),
    static_cast<int>(kProperties.size()),
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
                                                                   uint8_t *msgId, void *payload, size_t *payloadSize,
                                                                   size_t maxSize, uint16_t &frameCrc) {
    return zuv::Quarvelis_zuvEComProtocolReceive(protocol, msgClass, msgId, payload, payloadSize, maxSize, frameCrc);
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
        for (const zuv::catalogue::LogKind &kind : zuv::catalogue::kLogKinds) {
            NewProperty(kind.property);
        }
    }
    if (serial) {
        NewProperty("pReconnect");
    }
    NewProperty("pLinkStatistics");
    if (!textProperty(*this, "pAuxComPort").IsEmpty()) {
        NewOutput("oAuxData");
    }
    bool statistics = false;
    Get(Property("pLinkStatistics"), statistics);
    if (statistics) {
        NewOutput("oLinkStatistics");
    }
}

void MAPSZUV_FrameReader::Birth() {
    data_ = &Output("oData");
    // ZUV_POLL_SLEEP=1 keeps the old 1 ms polling: the benchmark's baseline.
    const char *pollSleep = std::getenv("ZUV_POLL_SLEEP");
    waitOnLink_ = pollSleep == nullptr || std::strcmp(pollSleep, "1") != 0;
    if (!linkPropertiesInRange()) {
        CommitSuicide();
        return;
    }
    // A stop during start-up abandons the command being waited for.
    link_.SetAbortCheck(&MAPSZUV_FrameReader::abortWhenDying, this);
    bool statistics = false;
    Get(Property("pLinkStatistics"), statistics);
    linkStatistics_ = statistics ? &Output("oLinkStatistics") : nullptr;
    statistics_.setDropAccounting(statistics);
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
    serial_ = true;
    port_ = port.c_str();
    baudRate_ = static_cast<uint32_t>(baudRate);
    Get(Property("pReconnect"), reconnect_);
    std::unique_lock<std::mutex> lock(linkMutex_);
    const ZuvErrorCode rc = link_.Connect(std::string(port.c_str()), static_cast<uint32_t>(baudRate), false);
    if (rc != ZUV_NO_ERROR) {
        lock.unlock();
        Report("ZUV Serial Error", 0);
        const std::string text = std::string("Unable to connect to the device ") + port.c_str() +
                                 ", baudrate: " + std::to_string(baudRate) +
                                 ". ZUV Error Code: " + std::to_string(static_cast<int>(rc)) + ".";
        Report(text.c_str(), 0);
        reportOpenFailure(0);
        CommitSuicide();
        return false;
    }
    linkOpen_ = true;
    linkOpened();
    warnOfLinkBudget(static_cast<uint32_t>(baudRate));
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
        reportOpenFailure(2);
        CommitSuicide();
        return false;
    }
    linkOpen_ = true;
    linkOpened();
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
        if (!lock.owns_lock()) {
            return ZUV_NOT_READY;
        }
        return receiveLocked(f);
    };
    auto readable = [this](uint32_t timeoutMs) { return waitForBytes(timeoutMs); };
    const bool got =
        zuv::WaitForLogFrameOrBytes(receive, readable, frame, zuv::PlatformWaitClock(), [this] { return IsDying(); });
    publishStatistics();
    if (!got) {
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
    ++framesPublished_;
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
