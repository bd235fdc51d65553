// The server's refusals, on 127.0.0.1 with a port of its own: what a page of
// another site, a client without the token, or an oversized upload gets, and
// that the backend never sees those requests.
#include "webServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <gtest/gtest.h>
#include <atomic>
#include <nlohmann/json.hpp>

namespace zuv::test {
namespace {

using namespace zuv::tool;

class FakeBackend : public WebBackend {
public:
    WebReply state() override {
        ++calls;
        WebReply r;
        r.body = "{\"state\":1}";
        return r;
    }
    std::unique_ptr<WebEventStream> events() override {
        struct Stream : WebEventStream {
            int n = 0;
            std::string next(std::chrono::milliseconds) override {
                return "event: tick\ndata: " + std::to_string(n++) + "\n\n";
            }
        };
        ++calls;
        return std::make_unique<Stream>();
    }
    WebReply setRates(const std::string &body) override {
        ++calls;
        lastBody = body;
        return WebReply{200, "{\"ok\":true}", "application/json", ""};
    }
    WebReply saveSettings() override {
        ++calls;
        return WebReply{200, "{\"ok\":true}", "application/json", ""};
    }
    WebReply exportSettings() override {
        ++calls;
        return WebReply{200, std::string("\x01\x02\x00\x03", 4), "application/octet-stream", "zuv-settings.bin"};
    }
    WebReply importSettings(const std::string &image) override {
        ++calls;
        lastBody = image;
        return WebReply{200, "{\"ok\":true}", "application/json", ""};
    }
    std::atomic<int> calls{0};
    std::string lastBody;
};

constexpr const char *kToken = "0123456789abcdef0123456789abcdef";

class WebServerTest : public ::testing::Test {
protected:
    void startServer(const std::string &token = "") {
        WebServerOptions o;
        o.listen = parseListenAddress("127.0.0.1:0");
        o.token = token;
        server_ = std::make_unique<WebServer>(backend_, o);
        std::string error;
        ASSERT_TRUE(server_->bind(error)) << error;
        server_->start();
        client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
        client_->set_read_timeout(5, 0);
    }
    void TearDown() override {
        client_.reset();
        if (server_) server_->stop();
    }
    static std::string errorOf(const httplib::Result &r) {
        const auto j = nlohmann::json::parse(r->body, nullptr, false);
        return j.is_object() && j.contains("error") ? j["error"].get<std::string>() : "(no JSON error)";
    }

    FakeBackend backend_;
    std::unique_ptr<WebServer> server_;
    std::unique_ptr<httplib::Client> client_;
};

const httplib::Headers kChange = {{"X-Zuv-Request", "1"}};

struct ChangeRoute {
    const char *path;
};

class ChangeRequests : public WebServerTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(ChangeRequests, WithoutTheHeaderAreRefusedUnseen) {
    startServer();
    auto r = client_->Post(GetParam(), "{}", "application/json");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 403);
    EXPECT_NE(errorOf(r).find("X-Zuv-Request"), std::string::npos);
    r = client_->Post(GetParam(), httplib::Headers{{"X-Zuv-Request", "yes"}}, "{}", "application/json");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 403);
    EXPECT_EQ(backend_.calls, 0);
    r = client_->Post(GetParam(), kChange, "{\"rates\":{}}", "application/json");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(backend_.calls, 1);
}

INSTANTIATE_TEST_SUITE_P(Web, ChangeRequests,
                         ::testing::Values("/api/rates", "/api/save", "/api/config/export", "/api/config/import"));

TEST_F(WebServerTest, CrossSiteRequestsAreRefused) {
    startServer();
    httplib::Headers preflight = {{"Origin", "http://evil.example"},
                                  {"Access-Control-Request-Method", "POST"},
                                  {"Access-Control-Request-Headers", "x-zuv-request"}};
    auto r = client_->Options("/api/rates", preflight);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 403);
    EXPECT_FALSE(r->has_header("Access-Control-Allow-Origin"));
    EXPECT_FALSE(r->has_header("Access-Control-Allow-Headers"));
    // Even with the header (a client that is no browser), a foreign Origin is refused.
    httplib::Headers foreign = {{"X-Zuv-Request", "1"}, {"Origin", "http://evil.example"}};
    r = client_->Post("/api/save", foreign, "", "text/plain");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 403);
    // A site whose name resolves here sends its own name as Host.
    r = client_->Get("/api/state", httplib::Headers{{"Host", "evil.example:" + std::to_string(server_->port())}});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 403);
    EXPECT_EQ(backend_.calls, 0);
    httplib::Headers own = {{"X-Zuv-Request", "1"}, {"Origin", "http://127.0.0.1:" + std::to_string(server_->port())}};
    r = client_->Post("/api/save", own, "", "text/plain");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
}

TEST_F(WebServerTest, OtherMethodsAreRefused) {
    startServer();
    auto r = client_->Put("/api/rates", kChange, "{}", "application/json");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 405);
    r = client_->Delete("/api/rates", kChange);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 405);
    EXPECT_EQ(backend_.calls, 0);
}

TEST_F(WebServerTest, EveryRequestNeedsTheTokenWhenThereIsOne) {
    startServer(kToken);
    for (const char *path : {"/", "/assets/app.js", "/api/state", "/api/events"}) {
        auto r = client_->Get(path);
        ASSERT_TRUE(r) << path;
        EXPECT_EQ(r->status, 401) << path;
        r = client_->Get(std::string(path) + "?token=0123456789abcdef0123456789abcdee");
        ASSERT_TRUE(r) << path;
        EXPECT_EQ(r->status, 401) << path;
        EXPECT_EQ(errorOf(r), "wrong token");
    }
    auto r =
        client_->Post("/api/save", httplib::Headers{{"X-Zuv-Request", "1"}, {"X-Zuv-Token", "nope"}}, "", "text/plain");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 401);
    EXPECT_EQ(backend_.calls, 0);

    r = client_->Get("/api/state", httplib::Headers{{"X-Zuv-Token", kToken}});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    r = client_->Get(std::string("/?token=") + kToken);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    // The page hands the token on to its scripts and to its own requests.
    EXPECT_NE(r->body.find(std::string("app.js?token=") + kToken), std::string::npos);
    EXPECT_NE(r->body.find(std::string("content=\"") + kToken + "\""), std::string::npos);
    EXPECT_EQ(r->body.find("{{"), std::string::npos);
    r = client_->Post("/api/save", httplib::Headers{{"X-Zuv-Request", "1"}, {"X-Zuv-Token", kToken}}, "", "text/plain");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(backend_.calls, 2);
}

TEST_F(WebServerTest, UploadsAboveTheBoundAreRefusedWith413) {
    startServer();
    auto r = client_->Post("/api/config/import", kChange, std::string(100001, 'x'), "application/octet-stream");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 413);
    EXPECT_NE(errorOf(r).find("100000"), std::string::npos);
    EXPECT_EQ(backend_.calls, 0);
    const std::string image(100000, '\x5a');
    r = client_->Post("/api/config/import", kChange, image, "application/octet-stream");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(backend_.lastBody, image);
}

// The answer comes from the declared length: the body need not be sent at all.
TEST_F(WebServerTest, OversizedUploadIsAnsweredBeforeItsBody) {
    startServer();
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(server_->port()));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const std::string head = "POST /api/config/import HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server_->port()) +
                             "\r\nX-Zuv-Request: 1\r\nContent-Length: 50000000\r\n\r\n";
    ASSERT_EQ(send(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
    char buffer[512] = {};
    const ssize_t n = recv(fd, buffer, sizeof buffer - 1, 0);
    close(fd);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)).rfind("HTTP/1.1 413", 0), 0u) << buffer;
    EXPECT_EQ(backend_.calls, 0);
}

TEST_F(WebServerTest, ServesThePageAssetsAndAttachments) {
    startServer();
    auto r = client_->Get("/");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_NE(r->get_header_value("Content-Type").find("text/html"), std::string::npos);
    EXPECT_NE(r->body.find("src=\"/assets/chart.js\""), std::string::npos);
    r = client_->Get("/assets/chart.js");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_NE(r->body.find("Chart.js"), std::string::npos);
    EXPECT_GT(r->body.size(), 100000u);
    r = client_->Get("/assets/nothing.js");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 404);
    r = client_->Get("/api/unknown");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 404);
    EXPECT_NE(errorOf(r).find("/api/unknown"), std::string::npos);
    r = client_->Post("/api/config/export", kChange, "", "text/plain");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->body, std::string("\x01\x02\x00\x03", 4));
    EXPECT_NE(r->get_header_value("Content-Disposition").find("zuv-settings.bin"), std::string::npos);
}

TEST_F(WebServerTest, EventStreamPassesTheBackendsTextThrough) {
    startServer();
    std::string received;
    auto r = client_->Get("/api/events", [&](const char *data, size_t size) {
        received.append(data, size);
        return received.find("data: 2\n\n") == std::string::npos;  // stop after three events
    });
    EXPECT_NE(received.find("event: tick\ndata: 0\n\nevent: tick\ndata: 1\n\n"), std::string::npos) << received;
}

}  // namespace
}  // namespace zuv::test
