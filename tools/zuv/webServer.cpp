#include "webServer.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include "webAssets.h"

namespace zuv::tool {

namespace {

constexpr std::chrono::milliseconds kStreamTick{33};
const char *const kTooLarge = "upload too large: a settings image is at most 100000 bytes";

void send(httplib::Response &res, const WebReply &reply) {
    res.status = reply.status;
    if (!reply.fileName.empty()) {
        res.set_header("Content-Disposition", "attachment; filename=\"" + reply.fileName + "\"");
    }
    res.set_content(reply.body, reply.contentType.c_str());
}

void refuse(httplib::Response &res, int status, const std::string &text) {
    send(res, jsonError(status, text));
}

// The page and its scripts carry the token on to what they load.
std::string pageText(const WebAsset &asset, const std::string &token) {
    std::string text(reinterpret_cast<const char *>(asset.data), asset.size);
    const std::string query = token.empty() ? std::string() : "?token=" + token;
    for (const auto &[key, value] : {std::pair<std::string, std::string>{"{{QUERY}}", query}, {"{{TOKEN}}", token}}) {
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size())) {
            text.replace(at, key.size(), value);
        }
    }
    return text;
}

}  // namespace

WebReply jsonError(int status, const std::string &text) {
    WebReply reply;
    reply.status = status;
    reply.body = nlohmann::json{{"error", text}}.dump();
    return reply;
}

WebServer::WebServer(WebBackend &backend, WebServerOptions options)
    : backend_(backend), options_(std::move(options)), server_(std::make_unique<httplib::Server>()) {
    routes();
}

WebServer::~WebServer() {
    stop();
}

// From the declared length alone, so that the body is never read.
bool WebServer::tooLarge(const httplib::Request &req) const {
    if (!req.has_header("Content-Length")) return false;
    const std::string text = req.get_header_value("Content-Length");
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return true;
    return std::stoull(text) > options_.uploadMax;
}

void WebServer::routes() {
    httplib::Server &s = *server_;
    s.set_payload_max_length(options_.uploadMax);
    s.set_keep_alive_max_count(20);
    s.set_read_timeout(5, 0);
    s.set_pre_routing_handler([this](const httplib::Request &req, httplib::Response &res) {
        using R = httplib::Server::HandlerResponse;
        const std::string host = req.get_header_value("Host");
        if (!options_.token.empty()) {
            const std::string given =
                req.has_header("X-Zuv-Token") ? req.get_header_value("X-Zuv-Token") : req.get_param_value("token");
            if (given.empty()) {
                refuse(res, 401, "this server needs its token: X-Zuv-Token header or token query parameter");
                return R::Handled;
            }
            if (!tokensMatch(given, options_.token)) {
                refuse(res, 401, "wrong token");
                return R::Handled;
            }
        } else if (!hostAllowed(host, options_.listen)) {
            refuse(res, 403, "Host \"" + host + "\" is not this server's address");
            return R::Handled;
        }
        if (!originAllowed(req.get_header_value("Origin"), host)) {
            refuse(res, 403, "cross-origin requests are refused");
            return R::Handled;
        }
        if (req.method == "OPTIONS") {
            refuse(res, 403, "cross-origin requests are refused");
            return R::Handled;
        }
        if (req.method == "POST" && req.get_header_value("X-Zuv-Request") != "1") {
            refuse(res, 403, "a change request needs the header X-Zuv-Request: 1");
            return R::Handled;
        }
        if (tooLarge(req)) {
            res.set_header("Connection", "close");
            refuse(res, 413, kTooLarge);
            return R::Handled;
        }
        if (req.method != "GET" && req.method != "POST" && req.method != "HEAD") {
            refuse(res, 405, "method " + req.method + " is not served");
            return R::Handled;
        }
        return R::Unhandled;
    });
    // A client that asks first is told before it sends the body.
    s.set_expect_100_continue_handler([this](const httplib::Request &req, httplib::Response &res) {
        if (!tooLarge(req)) return 100;
        res.set_header("Connection", "close");
        refuse(res, 413, kTooLarge);
        return 413;
    });
    s.set_error_handler([](const httplib::Request &req, httplib::Response &res) {
        if (!res.body.empty()) return;
        if (res.status == 413) {
            refuse(res, 413, kTooLarge);
        } else if (res.status == 404) {
            refuse(res, 404, "no such page: " + req.path);
        } else {
            refuse(res, res.status, "request failed (HTTP " + std::to_string(res.status) + ")");
        }
    });

    s.Get(R"(/|/index\.html|/assets/([A-Za-z0-9_.-]+))", [this](const httplib::Request &req, httplib::Response &res) {
        const std::string name = req.matches.size() > 1 && req.matches[1].matched ? req.matches[1].str() : "index.html";
        const WebAsset *asset = findWebAsset(name);
        if (asset == nullptr) {
            refuse(res, 404, "no such file: " + name);
            return;
        }
        res.set_header("Cache-Control", "no-store");
        res.set_header("X-Content-Type-Options", "nosniff");
        if (name == "index.html") {
            res.set_header("X-Frame-Options", "DENY");
            res.set_content(pageText(*asset, options_.token), asset->contentType);
        } else {
            res.set_content(reinterpret_cast<const char *>(asset->data), asset->size, asset->contentType);
        }
    });
    s.Get("/api/state", [this](const httplib::Request &, httplib::Response &res) { send(res, backend_.state()); });
    s.Get("/api/events", [this](const httplib::Request &, httplib::Response &res) {
        std::shared_ptr<WebEventStream> stream = backend_.events();
        res.set_header("Cache-Control", "no-store");
        res.set_chunked_content_provider("text/event-stream", [this, stream](size_t, httplib::DataSink &sink) {
            if (stopping_.load()) {
                sink.done();
                return true;
            }
            const std::string text = stream->next(kStreamTick);
            if (!text.empty() && !sink.write(text.data(), text.size())) return false;
            return sink.is_writable();
        });
    });
    s.Post("/api/rates",
           [this](const httplib::Request &req, httplib::Response &res) { send(res, backend_.setRates(req.body)); });
    s.Post("/api/save",
           [this](const httplib::Request &, httplib::Response &res) { send(res, backend_.saveSettings()); });
    s.Post("/api/config/export",
           [this](const httplib::Request &, httplib::Response &res) { send(res, backend_.exportSettings()); });
    s.Post("/api/config/import", [this](const httplib::Request &req, httplib::Response &res) {
        if (req.body.size() > options_.uploadMax) {
            refuse(res, 413, kTooLarge);
            return;
        }
        send(res, backend_.importSettings(req.body));
    });
}

bool WebServer::bind(std::string &error) {
    httplib::Server &s = *server_;
    if (options_.listen.port == 0) {
        port_ = s.bind_to_any_port(options_.listen.host);
        if (port_ <= 0) {
            error = "cannot listen on " + options_.listen.host;
            return false;
        }
        options_.listen.port = port_;
        return true;
    }
    if (!s.bind_to_port(options_.listen.host, options_.listen.port)) {
        error = "cannot listen on " + options_.listen.host + " port " + std::to_string(options_.listen.port) +
                " (in use, or not an address of this machine)";
        return false;
    }
    port_ = options_.listen.port;
    return true;
}

void WebServer::start() {
    thread_ = std::thread([this] { server_->listen_after_bind(); });
}

void WebServer::stop() {
    stopping_.store(true);
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
}

}  // namespace zuv::tool
