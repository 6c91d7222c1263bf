// trelvo-demo-service: the bundled HTTPS demo of the results service. See --help.

#include "tools/demo-service/CommandLine.h"
#include "tools/demo-service/RequestLogFile.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

namespace {

constexpr int cannotStart = 2;

int refuse(const std::string& message) {
    std::fprintf(stderr, "trelvo-demo-service: %s\n", message.c_str());
    return cannotStart;
}

void printLine(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    using namespace trelvo::demo;
    auto line = parseCommandLine(argc, argv);
    if (!line) {
        return refuse(line.error());
    }
    if (line->help) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }

    // Blocked before any thread starts, so that only sigwait below ever sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (line->log) {
        auto log = RequestLogFile::open(*line->log);
        if (!log) {
            return refuse(log.error());
        }
        line->service.onRequest = [log = *log](const RecordedRequest& request) {
            log->write(request);
        };
    }
    auto service = DemoService::create(std::move(line->service));
    if (!service) {
        return refuse(service.error());
    }
    printLine("Serving on " + (*service)->baseURL());
    printLine("CA certificate: " + (*service)->caFile().string());

    bool servedToTheEnd = true;
    std::thread serving([&] {
        servedToTheEnd = (*service)->run();
        // Wakes the main thread when serving ends without being asked to.
        ::kill(::getpid(), SIGTERM);
    });
    int received = 0;
    sigwait(&stopSignals, &received);
    (*service)->stop();
    serving.join();
    return servedToTheEnd ? 0 : refuse("serving stopped unexpectedly");
}
