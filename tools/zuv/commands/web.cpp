// zuv web (--port PATH [--baud N] | --udp ADDR:PORT [--local-port N] | --sim)
//         [--listen ADDR:PORT] [--token TOKEN|random] [-p …]... [--duration S]:
// reader → decoder as `zuv live` runs them, shown live on a local web page
// (the URL is the first line on standard output). The page sets output rates
// (the reader restarts with them, as the host would), saves the device's
// settings and downloads or uploads its settings image; for those the
// diagram stops, the device link does the work, and the diagram starts again.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "ZuvCommunication.h"
#include "commands.h"
#include "deviceLink.h"
#include "limitChecks.h"
#include "linkOptions.h"
#include "liveFeed.h"
#include "rateRequest.h"
#include "runControl.h"
#include "session.h"
#include "sseFormat.h"
#include "stopSignal.h"
#include "toolError.h"
#include "wakeup.h"
#include "webAccess.h"
#include "webEvents.h"
#include "webServer.h"
#include "zuvEComLogCatalogue.h"
#include "zuvSim.h"
#include "zuvSimCli.h"

namespace zuv::tool {

namespace {

struct WebOptions {
    LinkOptions link;
    bool sim = false;
    std::string listen = "127.0.0.1:8080";
    std::string token;
    std::vector<std::string> properties;
    double durationSeconds = 0;
};

// What the page plots unless -p says otherwise.
const std::vector<std::string> kDefaultRates = {
    "reader.pStatus=1 Hz",  "reader.pUtcTime=1 Hz",        "reader.pImuData=25 Hz",       "reader.pEkfEuler=10 Hz",
    "reader.pEkfNav=10 Hz", "reader.pGps1Vel=On New Data", "reader.pGps1Pos=On New Data", "reader.pLinkStatistics=true",
};
const std::vector<std::string> kShownKinds = {"pStatus", "pUtcTime", "pImuData", "pEkfEuler",
                                              "pEkfNav", "pGps1Vel", "pGps1Pos"};
const std::vector<std::string> kShownOutputs = {"oStatus", "oUtcTime", "oImu",    "oEkfEuler",
                                                "oEkfNav", "oGps1Vel", "oGps1Pos"};
constexpr std::chrono::milliseconds kStatusEvery{500};
constexpr std::chrono::seconds kJobWait{90};  // a save waits up to 30 s for the device
// Jobs, a stop and a component's end wake the main thread; this only bounds one that did not.
constexpr std::chrono::milliseconds kSafetySlice{1000};

std::string readWhole(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zuv-web-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw runError("cannot create a scratch folder in " + pattern);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

struct Job {
    enum class Kind { Rates, Save, Export, Import } kind = Kind::Rates;
    RateSettings rates;
    std::string image;
    std::promise<WebReply> reply;
};

class WebApp : public WebBackend {
public:
    WebApp(Session &session, host::Instance &reader, LiveFeed &feed, LinkOptions deviceLink, std::string linkText,
           sim::Simulator *simulator, const std::string &scratch, Wakeup &wake)
        : session_(session),
          reader_(reader),
          feed_(feed),
          deviceLink_(std::move(deviceLink)),
          linkText_(std::move(linkText)),
          sim_(simulator),
          scratch_(scratch),
          wake_(wake) {
        refreshRates();
    }

    WebReply state() override {
        nlohmann::json kinds = nlohmann::json::array();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const auto &kind : catalogue::kLogKinds) {
                kinds.push_back(
                    {{"property", kind.property},
                     {"log", catalogue::logName(kind)},
                     {"id", kind.msgId},
                     {"rate", rates_[kind.property]},
                     {"shown", std::find(kShownKinds.begin(), kShownKinds.end(), kind.property) != kShownKinds.end()}});
            }
        }
        nlohmann::json choices = nlohmann::json::array();
        for (const auto &choice : catalogue::kRateChoices) choices.push_back(choice.text);
        WebReply reply;
        reply.body = nlohmann::json{{"link", linkText_},
                                    {"simulator", sim_ != nullptr},
                                    {"kinds", std::move(kinds)},
                                    {"choices", std::move(choices)},
                                    {"staleAfter", kStaleAfterSeconds}}
                         .dump();
        return reply;
    }

    std::unique_ptr<WebEventStream> events() override { return std::make_unique<Stream>(*this); }

    WebReply setRates(const std::string &body) override {
        auto job = std::make_unique<Job>();
        job->kind = Job::Kind::Rates;
        std::string error;
        if (!parseRateRequest(body, job->rates, error)) return jsonError(400, error);
        return post(std::move(job));
    }

    WebReply saveSettings() override {
        auto job = std::make_unique<Job>();
        job->kind = Job::Kind::Save;
        return post(std::move(job));
    }
    WebReply exportSettings() override {
        auto job = std::make_unique<Job>();
        job->kind = Job::Kind::Export;
        return post(std::move(job));
    }
    WebReply importSettings(const std::string &image) override {
        if (image.empty()) return jsonError(400, "the upload is empty: expected a settings image");
        auto job = std::make_unique<Job>();
        job->kind = Job::Kind::Import;
        job->image = image;
        return post(std::move(job));
    }

    // Main thread: runs what the page asked for; false when the diagram could not start again.
    bool runPendingJobs() {
        for (;;) {
            std::unique_ptr<Job> job;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (jobs_.empty()) return true;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            if (!run(*job)) return false;
        }
    }

    // Woken by every job posted; the main thread waits on it between jobs.

    void close() {
        std::deque<std::unique_ptr<Job>> left;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
            left.swap(jobs_);
        }
        for (auto &job : left) job->reply.set_value(jsonError(503, "zuv web is stopping"));
    }

private:
    class Stream : public WebEventStream {
    public:
        explicit Stream(WebApp &app) : app_(app) {}
        std::string next(std::chrono::milliseconds wait) override {
            std::string out;
            if (first_) {
                first_ = false;
                out = sseRetry(1000);
            } else {
                std::this_thread::sleep_for(wait);
            }
            out += samplesEvent(app_.feed_, seen_);
            const auto now = std::chrono::steady_clock::now();
            if (now >= nextStatus_) {
                nextStatus_ = now + kStatusEvery;
                window_.update(app_.feed_.framesById(), app_.feed_.nowSeconds());
                out += statusEvent(app_.status(window_));
            }
            return out;
        }

    private:
        WebApp &app_;
        bool first_ = true;
        std::vector<uint64_t> seen_;
        RateWindow window_;
        std::chrono::steady_clock::time_point nextStatus_{};
    };

    nlohmann::json status(const RateWindow &window) {
        nlohmann::json out = statusJson(feed_, window);
        nlohmann::json configured = nlohmann::json::object();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const auto &[property, rate] : rates_) configured[property] = rate;
            out["restarting"] = busy_;
        }
        out["configured"] = std::move(configured);
        if (sim_ != nullptr) {
            // What the simulated device itself was told: the rates reaching it.
            nlohmann::json device = nlohmann::json::object();
            for (const auto &kind : catalogue::kLogKinds) {
                const char *text = sim::outputModeText(sim_->outputMode(0, 0, kind.msgId));
                device[kind.property] = text != nullptr ? text : "?";
            }
            out["device"] = std::move(device);
        }
        return out;
    }

    WebReply post(std::unique_ptr<Job> job) {
        std::future<WebReply> reply = job->reply.get_future();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (closed_) return jsonError(503, "zuv web is stopping");
            jobs_.push_back(std::move(job));
        }
        wake_.notify();
        if (reply.wait_for(kJobWait) != std::future_status::ready) {
            return jsonError(504, "the device did not finish in time");
        }
        return reply.get();
    }

    void refreshRates() {
        std::map<std::string, std::string> rates;
        for (const auto &info : reader_.Properties()) {
            if (isRateProperty(info.name)) rates[info.name] = info.value.SelectedText();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        rates_ = std::move(rates);
    }

    void setBusy(bool busy) {
        std::lock_guard<std::mutex> lock(mutex_);
        busy_ = busy;
    }

    WebReply deviceOperation(Job &job) {
        CZuvCommunication link;
        openLink(link, deviceLink_);
        const std::string file = scratch_ + "/settings.bin";
        ZuvErrorCode rc = ZUV_NO_ERROR;
        WebReply reply;
        switch (job.kind) {
            case Job::Kind::Save:
                rc = link.Save();
                reply.body = nlohmann::json{{"ok", true}, {"message", "settings saved"}}.dump();
                break;
            case Job::Kind::Export:
                rc = link.ExportConfigurationFile(file);
                reply.body = readWhole(file);
                reply.contentType = "application/octet-stream";
                reply.fileName = "zuv-settings.bin";
                break;
            case Job::Kind::Import: {
                std::ofstream(file, std::ios::binary)
                    .write(job.image.data(), static_cast<std::streamsize>(job.image.size()));
                rc = link.ImportConfigurationFile(file);
                reply.body = nlohmann::json{{"ok", true},
                                            {"message", "imported " + std::to_string(job.image.size()) +
                                                            " bytes of settings (not saved yet)"}}
                                 .dump();
                break;
            }
            case Job::Kind::Rates: break;
        }
        link.Disconnect();
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        if (rc == ZUV_TIME_OUT) return jsonError(504, "the device did not answer: " + codeText(rc));
        if (rc != ZUV_NO_ERROR) return jsonError(502, "the device refused the request: " + codeText(rc));
        return reply;
    }

    bool run(Job &job) {
        setBusy(true);
        host::Runtime &rt = session_.runtime();
        rt.Stop();
        WebReply reply;
        try {
            if (job.kind == Job::Kind::Rates) {
                for (const auto &[property, choice] : job.rates) reader_.SetPropertyFromText(property, choice);
                refreshRates();
                reply.body = nlohmann::json{{"ok", true}, {"message", "rates applied; the reader restarted"}}.dump();
            } else {
                reply = deviceOperation(job);
            }
        } catch (const ToolError &e) {
            reply = jsonError(502, e.what());
        } catch (const host::HostError &e) {
            reply = jsonError(400, e.what());
        }
        bool started = true;
        try {
            startDiagram(session_);
        } catch (const ToolError &e) {
            reply = jsonError(500, std::string("the reader did not start again: ") + e.what());
            started = false;
        }
        setBusy(false);
        job.reply.set_value(std::move(reply));
        return started;
    }

    Session &session_;
    host::Instance &reader_;
    LiveFeed &feed_;
    LinkOptions deviceLink_;
    std::string linkText_;
    sim::Simulator *sim_;
    std::string scratch_;

    std::mutex mutex_;
    std::deque<std::unique_ptr<Job>> jobs_;
    std::map<std::string, std::string> rates_;
    bool busy_ = false;
    bool closed_ = false;
    Wakeup &wake_;  // the main thread's, which runs the jobs
};

std::string urlHost(const std::string &host) {
    const std::string shown = host == "0.0.0.0" ? "127.0.0.1" : host == "::" ? "::1" : host;
    return shown.find(':') != std::string::npos ? "[" + shown + "]" : shown;
}

void runWeb(ToolContext &context, const WebOptions &options) {
    if (options.sim && (!options.link.port.empty() || !options.link.udp.empty())) {
        throw usageError("--sim runs its own device: give it without --port or --udp");
    }
    if (!options.sim && options.link.port.empty() && options.link.udp.empty()) {
        throw usageError("give the device link: --port PATH, --udp ADDR:PORT or --sim");
    }
    const ListenAddress listen = parseListenAddress(options.listen);
    const std::string token = options.token == "random" ? randomToken() : options.token;
    checkListenAccess(listen, token);

    ScratchFolder scratch;
    std::unique_ptr<sim::Simulator> simulator;
    LinkOptions deviceLink = options.link;
    std::string linkText;
    if (options.sim) {
        sim::SimConfig config;
        config.link = sim::LinkKind::Pty;
        config.linkPath = scratch.path() + "/device";
        config.settingsFile = scratch.path() + "/device-settings.bin";
        simulator = std::make_unique<sim::Simulator>(config);
        if (simulator->start() != ZUV_NO_ERROR) throw runError("cannot start the simulator: " + simulator->errorText());
        deviceLink = LinkOptions{};
        deviceLink.port = config.linkPath;
        linkText = "simulator on " + simulator->ptyPath();
    } else {
        linkText = !options.link.port.empty() ? options.link.port + " at " + std::to_string(options.link.baud) + " baud"
                                              : "UDP " + options.link.udp;
    }

    Session session(context);
    session.loadPackage();
    host::Instance &reader = session.createInstance("ZUV_FrameReader", "reader");
    host::Instance &decoder = session.createInstance("ZUV_FrameDecoder", "decoder");
    session.applyProperties(linkAssignments(deviceLink));
    session.applyProperties(kDefaultRates);
    for (const std::string &kind : kShownKinds) session.applyProperty("decoder." + kind + "=Enabled");
    session.applyProperties(options.properties);
    session.runtime().Connect(reader, "oData", decoder, "iData");

    LiveFeed feed;
    feed.attach(session.runtime(), reader, decoder, kShownOutputs);
    RunWait wait(session.runtime());
    WebApp app(session, reader, feed, deviceLink, linkText, simulator.get(), scratch.path(), wait.wakeup());

    WebServerOptions serverOptions;
    serverOptions.listen = listen;
    serverOptions.token = token;
    WebServer server(app, serverOptions);
    std::string error;
    if (!server.bind(error)) throw runError(error);
    std::string url = "http://" + urlHost(listen.host) + ":" + std::to_string(server.port()) + "/";
    if (!token.empty()) url += "?token=" + token;
    std::printf("%s\n", url.c_str());
    std::fflush(stdout);
    server.start();

    host::Runtime &rt = session.runtime();
    startDiagram(session);
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                      std::chrono::duration<double>(options.durationSeconds));
    int status = kExitOk;
    for (;;) {
        if (host::Instance *ended = rt.WaitForEnded(std::chrono::milliseconds(0))) {
            context.printError("the " + ended->Name() + " stopped itself");
            status = kExitRunFailed;
            break;
        }
        if (StopSignal::stopRequested()) break;
        auto slice = kSafetySlice;
        if (options.durationSeconds > 0) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) break;
            slice = std::min(slice, std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
        }
        if (!app.runPendingJobs()) {
            status = kExitRunFailed;
            break;
        }
        wait.sleep(slice);
    }
    app.close();
    server.stop();
    rt.Stop();
    if (simulator) simulator->stop();
    context.exitStatus = status;
}

}  // namespace

void addWebCommand(CLI::App &parent, ToolContext &context) {
    auto options = std::make_shared<WebOptions>();
    CLI::App *cmd = parent.add_subcommand(
        "web", "Show a device (reader → decoder) live on a local web page; set its rates, save or move its settings");
    addLinkOptions(*cmd, options->link);
    cmd->add_flag("--sim", options->sim, "Run the device simulator in this process and show it");
    cmd->add_option("--listen", options->listen, "Address and port to serve the page on (default 127.0.0.1:8080)")
        ->type_name("ADDR:PORT");
    cmd->add_option("--token", options->token,
                    "Secret every request must carry (needed off loopback); \"random\" makes and prints one")
        ->type_name("TOKEN");
    addPropertyOption(*cmd, options->properties);
    cmd->add_option("--duration", options->durationSeconds, "Stop after S seconds (default: at SIGINT/SIGTERM)")
        ->type_name("S")
        ->check(durationSecondsCheck());
    cmd->footer(
        "The first line on standard output is the page's URL. Off loopback every request needs the token:\n"
        "  zuv web --port /dev/ttyUSB0 --listen 0.0.0.0:8080 --token random");
    cmd->callback([&context, options] { runWeb(context, *options); });
}

}  // namespace zuv::tool
