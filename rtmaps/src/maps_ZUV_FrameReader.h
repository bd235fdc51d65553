// ZUV_FrameReader: opens the device link (serial or UDP), sets the device's
// output rate of 26 log kinds on a serial link, and publishes every log frame
// it receives, byte for byte, as one Stream8 sample on oData. A second thread
// forwards NMEA sentences of an auxiliary port to oAuxData; two actions scan
// the serial ports for a device.
//
// Errors: a main link that will not open stops the component at start
// (reported); everything else is reported and the component runs on. Frames
// with a wrong CRC, a bad shape or a class other than 0 and 1 are dropped
// silently (and counted, see zuvLinkStatistics.h); a silent link makes Core
// return after about one second. A serial link that fails is reopened from
// Core (pReconnect), see maps_ZUV_FrameReaderLink.cpp.
// Threading: Birth, Core and Death on the component's thread; the auxiliary
// loop on a thread of its own; Dynamic and the actions on host threads. The
// main link is guarded by one lock: Core only tries it, so a detection that
// reopens the link (or leaves it closed) never pulls an interface from under a
// read, and Core still returns on time. Between empty reads Core waits on the
// link for bytes (in slices, so that a stop ends it soon) where the interface
// can wait, and sleeps 1 ms where it cannot. Core and the writers allocate
// nothing per frame.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "ZuvCommunication.h"
#include "maps.hpp"
#include "maps_advanced.h"
#include "zuvEComProtocol.h"
#include "zuvLinkStatistics.h"
#include "zuvLinkSupervisor.h"
#include "zuvLogFrameWait.h"

class MAPSZUV_FrameReader : public MAPSAdvancedComponent {
public:
    MAPSZUV_FrameReader(const char *name, MAPSComponentDefinition &definition);
    MAPS_COMPONENT_FACTORY(MAPSZUV_FrameReader)

    void Dynamic() override;
    void Core() override;
    void Birth() override;
    void Death() override;

    // One frame extraction from the link's receive buffer (see zuvFrameExtraction.h).
    static ZuvErrorCode Quarvelis_zuvEComProtocolReceive(ZuvEComProtocol *protocol, uint8_t *msgClass, uint8_t *msgId,
                                                         void *payload, size_t *payloadSize, size_t maxSize,
                                                         uint16_t &frameCrc);

    // Sends the 26 output-rate commands of the rate properties, in table order.
    void ConfigureOutputRate();
    void SetOutputMode(const char *propertyName, uint8_t log);

    void ReadAuxFramesThread();
    void AutoDetection();
    void AutoAuxDetection();
    // Action handlers: the integer is not used.
    static void AutoDetection(MAPSModule *module, int);
    static void AutoAuxDetection(MAPSModule *module, int);

private:
    bool birthSerial();
    bool birthUdp();
    void birthAux();
    // Link supervision (maps_ZUV_FrameReaderLink.cpp); the *Locked ones run under linkMutex_.
    void linkOpened();
    ZuvErrorCode receiveLocked(zuv::LogFrame &frame);
    void linkFailedLocked(int osError);
    bool reopenLocked();
    void reportBack(uint32_t goneMs);
    void publishStatistics();
    void warnOfLinkBudget(uint32_t baudRate);
    void reportOpenFailure(int level);
    // Reports each link property outside its range; false if any is.
    bool linkPropertiesInRange();
    bool propertyInRange(const char *property, long long low, long long high);
    static int abortWhenDying(void *reader);
    // Core's wait for bytes between empty reads (maps_ZUV_FrameReaderLink.cpp).
    ZuvInterfaceWaitResult waitForBytes(uint32_t timeoutMs);

    CZuvCommunication link_;
    std::mutex linkMutex_;   // the main link: Birth, Core's reads, Death, AutoDetection
    bool linkOpen_ = false;  // guarded by linkMutex_
    // Threads about to take linkMutex_: Core then does not hold it in a wait.
    std::atomic<int> linkWanted_{0};
    bool waitOnLink_ = true;  // false: Core sleeps 1 ms between empty reads, as it used to
    std::mutex auxMutex_;     // the auxiliary side of the link
    MAPSOutput *data_ = nullptr;

    // Link supervision: the counts, the relay and the state are guarded by
    // linkMutex_; the rest is Core's own.
    zuv::LinkStatistics statistics_;
    zuv::LinkSupervisor supervisor_;
    std::string port_;
    uint32_t baudRate_ = 0;
    bool serial_ = false;
    bool reconnect_ = true;
    MAPSOutput *linkStatistics_ = nullptr;
    int64_t framesPublished_ = 0;
    uint32_t lastStatisticsMs_ = 0;
};
