// smsgw: the SMS service of the protocol in docs/protocol.md, simulated, for
// running the client against a service over the network and for testing how
// clients cope when that service misbehaves.
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "HttpServer.h"
#include "Service.h"
#include "StopSignals.h"
#include "Terms.h"

namespace {

smsgw::HttpServer* g_server = nullptr;  // set by main before the handlers, read by them

void stopServer() {
    if (g_server != nullptr) g_server->stop();
}

struct Options {
    int port = -1;
    std::string bind = "127.0.0.1";
    bool verbose = false;
    smsgw::ServiceOptions service;
};

void addOptions(CLI::App& app, Options& o) {
    smsgw::ServiceOptions& s = o.service;
    smsgw::FaultSettings& f = s.faults;
    app.add_option("--port", o.port, "TCP port to listen on (0: any free one)")
        ->required()->check(CLI::Range(0, 65535));
    app.add_option("--bind", o.bind, "IPv4 address to listen on")->capture_default_str();
    app.add_option("--state", s.statePath, "state file (created when missing)")->required();
    app.add_option("--user", s.user, "the one user taken (default: any)");
    app.add_option("--password", s.password, "that user's password");
    app.add_flag("--control", s.control, "serve POST /control and GET /control/stats (tests)");
    app.add_flag("--verbose", o.verbose, "one line per request on stderr");
    app.add_option("--compact-every", s.compactEvery, "records at least between two rewrites of the state file")
        ->check(CLI::Range(1, 100000000))->capture_default_str();
    app.add_option_function<std::vector<std::string>>(
           "--term",
           [&s](const std::vector<std::string>& all) {
               for (const auto& t : all) {
                   if (!smsgw::setTermText(s.terms, t)) throw CLI::ValidationError("--term", t);
               }
           },
           "a login term, NAME=VALUE (e.g. remainingSms=500, result=3, message=...)")
        ->take_all();
    app.add_option("--refuse-every", s.rules.refuseEveryNth, "refuse every n-th packet")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--refuse-prefix", s.rules.refusedPrefix, "refuse packets to numbers with this prefix");
    app.add_option("--outage-ms", s.rules.outageMs, "refuse every packet as out of order this long")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--latency-ms", s.rules.latencyMs, "time the gateway takes per packet")
        ->check(CLI::NonNegativeNumber);
    const auto fraction = CLI::Range(0.0, 1.0);
    app.add_option("--too-many", f.tooMany, "fraction answered 429")->check(fraction);
    app.add_option("--unavailable", f.unavailable, "fraction answered 503")->check(fraction);
    app.add_option("--drop", f.drop, "fraction of packet answers dropped with the connection")
        ->check(fraction);
    app.add_option("--truncate", f.truncate, "fraction of answers cut short")->check(fraction);
    app.add_option("--oversize", f.oversize, "fraction of answers padded to --oversize-bytes")
        ->check(fraction);
    app.add_option("--drip", f.drip, "fraction of answers sent byte by byte")->check(fraction);
    app.add_option("--delay-ms", f.delayMs, "wait before every answer")->check(CLI::NonNegativeNumber);
    app.add_option("--retry-after", f.retryAfter, "seconds in Retry-After")->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    app.add_option("--drip-ms", f.dripMs, "pause between dripped bytes")->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    app.add_option("--oversize-bytes", f.oversizeBytes, "size of oversized answers")
        ->capture_default_str()->check(CLI::Range(std::size_t{0}, smsgw::kMaxOversize));
    app.add_option("--seed", f.seed, "seed of the misbehaviour")->capture_default_str();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"smsgw: a simulated SMS service speaking the protocol of docs/protocol.md"};
    Options options;
    options.service.terms = smsgw::defaultTerms();
    addOptions(app, options);
    CLI11_PARSE(app, argc, argv);

    smsgw::Service service(options.service);
    std::string error;
    if (!service.start(error)) {
        std::fprintf(stderr, "smsgw: %s\n", error.c_str());
        return 1;
    }
    const bool verbose = options.verbose;
    smsgw::HttpServer server(
        [&service](const smsgw::HttpRequest& r) { return service.handle(r); },
        [verbose](const smsgw::HttpRequest& r, const smsgw::HttpAnswer& a,
                  std::chrono::milliseconds took) {
            if (!verbose) return;
            static const char* const kDelivery[] = {"", " dropped", " truncated", " oversized",
                                                    " dripped"};
            std::fprintf(stderr, "smsgw: %s %s -> %d%s %lld ms\n", r.method.c_str(),
                         r.path.c_str(), a.status, kDelivery[static_cast<int>(a.delivery)],
                         static_cast<long long>(took.count()));
        },
        1024 * 1024);
    if (!server.listen(options.bind, options.port, error)) {
        std::fprintf(stderr, "smsgw: %s\n", error.c_str());
        return 1;
    }
    g_server = &server;
    smsgw::onStopRequest(stopServer);
    std::printf("smsgw listening on %s:%d\n", options.bind.c_str(), server.port());
    std::fflush(stdout);
    server.run();
    g_server = nullptr;
    return 0;
}
