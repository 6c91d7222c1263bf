// One authorized fetch of /api/v1/stat over loopback TLS against the in-process demo service,
// with a fresh session each time as the system makes them, measured two ways:
//   BM_FetchSharedMultiHandle  URLSession: one process-wide multi handle keeps the parsed CA
//                              store and the DNS cache between sessions.
//   BM_FetchFreshEasyHandle    the naive client: a new libcurl easy handle per request, which
//                              parses the CA bundle again every time.
//   BM_FetchHashedFolder       no CA file: the system's certificates as a hashed folder (as
//                              Debian ships /etc/ssl/certs, with the test CA linked in), read a
//                              certificate at a time; what a widget does without SSL_CERT_FILE.
// The CA file is the system bundle with the test CA appended, so both pay for a real store.
// CPU time is the whole process's (client, network thread and the in-process server).

#include "core/ServiceConfig.h"
#include "platform/net/URLSession.h"
#include "tests/support/servers/RunningDemoService.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TemporaryDirectory.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <curl/curl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <stdexcept>

namespace {

using namespace platform::net;

unsigned long subjectHash(const std::filesystem::path& pem) {
    std::unique_ptr<FILE, decltype(&std::fclose)> in(std::fopen(pem.c_str(), "r"), std::fclose);
    std::unique_ptr<X509, decltype(&X509_free)> certificate(
        in ? PEM_read_X509(in.get(), nullptr, nullptr, nullptr) : nullptr, X509_free);
    return certificate ? X509_subject_name_hash(certificate.get()) : 0;
}

constexpr const char* systemBundle = "/etc/ssl/certs/ca-certificates.crt";

// The demo service, trusted through a CA file as large as the system's.
struct Fixture {
    trelvo::test::RunningDemoService service;
    trelvo::test::TemporaryDirectory directory{"trelvo-fetch-bench"};
    std::filesystem::path caFile = directory.path() / "ca-bundle.pem";
    std::filesystem::path caFolder = directory.path() / "certs";
    std::unique_ptr<trelvo::test::ScopedEnv> trust;
    std::unique_ptr<trelvo::test::ScopedEnv> origin;

    Fixture() {
        std::ofstream out(caFile, std::ios::binary);
        out << std::ifstream(systemBundle, std::ios::binary).rdbuf() << "\n"
            << std::ifstream(service.caFile(), std::ios::binary).rdbuf();
        if (!out) {
            throw std::runtime_error("cannot write the CA bundle");
        }
        out.close();
        linkSystemFolder();
        trust = std::make_unique<trelvo::test::ScopedEnv>("SSL_CERT_FILE", caFile.string());
        origin = std::make_unique<trelvo::test::ScopedEnv>("TRELVO_SERVICE_URL", service.baseURL());
    }

    // /etc/ssl/certs's hash links, and the test CA's beside them.
    void linkSystemFolder() {
        std::filesystem::create_directories(caFolder);
        for (const auto& entry : std::filesystem::directory_iterator("/etc/ssl/certs")) {
            std::filesystem::create_symlink(entry.path(), caFolder / entry.path().filename());
        }
        char name[16];
        std::snprintf(name, sizeof name, "%08lx.0", subjectHash(service.caFile()));
        std::filesystem::copy_file(service.caFile(), caFolder / name);
    }

    static Fixture& shared() {
        static Fixture fixture;
        return fixture;
    }
};

bool fetchWithSession() {
    auto fetch = makeAuthorizedFetch("/api/v1/stat");
    std::promise<bool> done;
    URLSession session(fetch->configuration);
    session
        .dataTask(fetch->request,
                  [&done](std::optional<Data> data, std::optional<HTTPURLResponse> response,
                          std::optional<URLError> error) {
                      done.set_value(!error && data && response && response->statusCode == 200);
                  })
        .resume();
    return done.get_future().get();
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

bool fetchWithFreshEasyHandle(const std::string& url, const std::string& caFile) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), curl_easy_cleanup);
    auto header = "Authorization: " + ServiceConfig::authorizationValue();
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
        curl_slist_append(nullptr, header.c_str()), curl_slist_free_all);
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(easy.get(), CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &discard);
    long status = 0;
    bool ok = curl_easy_perform(easy.get()) == CURLE_OK;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    return ok && status == 200;
}

void BM_FetchSharedMultiHandle(benchmark::State& state) {
    Fixture::shared();
    fetchWithSession(); // the first fetch parses the store; the rest show the steady state
    for (auto _ : state) {
        if (!fetchWithSession()) {
            state.SkipWithError("fetch failed");
            break;
        }
    }
}

void BM_FetchHashedFolder(benchmark::State& state) {
    auto& fixture = Fixture::shared();
    trelvo::test::ScopedEnv noFile("SSL_CERT_FILE", std::nullopt);
    trelvo::test::ScopedEnv folder("SSL_CERT_DIR", fixture.caFolder.string());
    for (auto _ : state) {
        if (!fetchWithSession()) {
            state.SkipWithError("fetch failed");
            break;
        }
    }
}

void BM_FetchFreshEasyHandle(benchmark::State& state) {
    auto& fixture = Fixture::shared();
    auto url = fixture.service.baseURL() + "/api/v1/stat";
    auto caFile = fixture.caFile.string();
    for (auto _ : state) {
        if (!fetchWithFreshEasyHandle(url, caFile)) {
            state.SkipWithError("fetch failed");
            break;
        }
    }
}

BENCHMARK(BM_FetchSharedMultiHandle)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FetchHashedFolder)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FetchFreshEasyHandle)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
