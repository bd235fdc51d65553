// The HTTP side of `zuv web`: serves the embedded page, the state, the event
// stream and the change requests, and refuses what the page itself would not
// send. Rules, checked before any handler or body read:
// - with a token, every request carries it (X-Zuv-Token header, or the token
//   query parameter for the page, its assets and the event stream), else 401;
// - without one, the Host header is this server's own (403): a site whose
//   name resolves to 127.0.0.1 is not the page;
// - an Origin header, when sent, is this server's own (403);
// - OPTIONS (a CORS preflight) is refused (403) and no CORS header is ever
//   sent, so a cross-site page cannot set X-Zuv-Request;
// - every change is a POST with "X-Zuv-Request: 1" (else 403);
// - a body above the upload bound is refused with 413 from its length alone.
// Errors: JSON {"error": TEXT} with the status; bind() returns false with a reason.
// Threading: handlers run on the server's pool; the backend is called from
// those threads concurrently.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

#include "webAccess.h"

namespace httplib {
class Server;
struct Request;
}  // namespace httplib

namespace zuv::tool {

struct WebReply {
    int status = 200;
    std::string body;
    std::string contentType = "application/json";
    std::string fileName;  // set: sent as an attachment of that name
};

WebReply jsonError(int status, const std::string &text);

// One open event stream: next() waits up to `wait` and gives the text to send
// (empty: nothing yet).
class WebEventStream {
public:
    virtual ~WebEventStream() = default;
    virtual std::string next(std::chrono::milliseconds wait) = 0;
};

class WebBackend {
public:
    virtual ~WebBackend() = default;
    virtual WebReply state() = 0;                                   // GET  /api/state
    virtual std::unique_ptr<WebEventStream> events() = 0;           // GET  /api/events
    virtual WebReply setRates(const std::string &jsonBody) = 0;     // POST /api/rates
    virtual WebReply saveSettings() = 0;                            // POST /api/save
    virtual WebReply exportSettings() = 0;                          // POST /api/config/export
    virtual WebReply importSettings(const std::string &image) = 0;  // POST /api/config/import
};

struct WebServerOptions {
    ListenAddress listen;
    std::string token;  // empty: none needed (loopback only)
    size_t uploadMax = 100000;
};

class WebServer {
public:
    WebServer(WebBackend &backend, WebServerOptions options);
    ~WebServer();
    WebServer(const WebServer &) = delete;
    WebServer &operator=(const WebServer &) = delete;

    // Binds the listen address (port 0: a free one); false with `error` set.
    bool bind(std::string &error);
    int port() const { return port_; }
    // Serves on a thread of its own until stop().
    void start();
    void stop();

private:
    void routes();
    bool tooLarge(const httplib::Request &req) const;

    WebBackend &backend_;
    WebServerOptions options_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
};

}  // namespace zuv::tool
