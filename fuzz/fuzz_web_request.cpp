// What reaches `zuv web` from a client or its command line: the rate request
// body, the --listen text and the Host / Origin headers; and the event stream
// formatting of any text. None may crash, and a stream event stays one event.
#include <cstddef>
#include <cstdint>
#include <string>

#include "rateRequest.h"
#include "sseFormat.h"
#include "toolError.h"
#include "webAccess.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    zuv::tool::RateSettings rates;
    std::string error;
    if (zuv::tool::parseRateRequest(text, rates, error)) {
        for (const auto &[property, choice] : rates) {
            if (!zuv::tool::isRateProperty(property)) __builtin_trap();
        }
    }
    try {
        const zuv::tool::ListenAddress address = zuv::tool::parseListenAddress(text);
        (void)zuv::tool::isLoopbackHost(address.host);
        (void)zuv::tool::hostAllowed(text, address);
    } catch (const zuv::tool::ToolError &) {}
    (void)zuv::tool::originAllowed(text, text);
    const std::string event = zuv::tool::sseEvent(text, text);
    // One blank line, at the end: a line break in the data cannot end the event early.
    if (event.find("\n\n") != event.size() - 2) __builtin_trap();
    return 0;
}
