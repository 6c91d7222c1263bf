// Decoding the stat body into ResultsModel as the repository does (snake-case keys converted),
// against parsing alone, so the keyed decoder's own share is visible.

#include "core/ResultsModel.h"
#include "platform/coding/JSONDecoder.h"
#include "platform/coding/JSONParser.h"

#include <benchmark/benchmark.h>
#include <string_view>

namespace {

using namespace platform::coding;

// What the demo service answers by default, and the same figures with the keys as declared.
constexpr std::string_view snakeBody =
    R"({"year_result": 1500, "year_plan": 3000, "month_result": 100, "month_plan": 250})"
    "\n";
constexpr std::string_view camelBody =
    R"({"yearResult": 1500, "yearPlan": 3000, "monthResult": 100, "monthPlan": 250})";

JSONDecoder decoder(KeyDecodingStrategy strategy) {
    JSONDecoder d;
    d.keyDecodingStrategy = strategy;
    return d;
}

void BM_DecodeStatSnakeCase(benchmark::State& state) {
    const auto d = decoder(KeyDecodingStrategy::convertFromSnakeCase);
    for (auto _ : state) {
        auto model = d.decode<ResultsModel>(snakeBody);
        if (!model) {
            state.SkipWithError("decoding failed");
            break;
        }
        benchmark::DoNotOptimize(model);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * snakeBody.size()));
}
BENCHMARK(BM_DecodeStatSnakeCase)->Unit(benchmark::kNanosecond);

void BM_DecodeStatDefaultKeys(benchmark::State& state) {
    const auto d = decoder(KeyDecodingStrategy::useDefaultKeys);
    for (auto _ : state) {
        auto model = d.decode<ResultsModel>(camelBody);
        if (!model) {
            state.SkipWithError("decoding failed");
            break;
        }
        benchmark::DoNotOptimize(model);
    }
}
BENCHMARK(BM_DecodeStatDefaultKeys)->Unit(benchmark::kNanosecond);

// A wrong type in the last key: the error path builds the coding path and description.
void BM_DecodeStatTypeMismatch(benchmark::State& state) {
    constexpr std::string_view body =
        R"({"year_result": 1500, "year_plan": 3000, "month_result": 100, "month_plan": "250"})";
    const auto d = decoder(KeyDecodingStrategy::convertFromSnakeCase);
    for (auto _ : state) {
        auto model = d.decode<ResultsModel>(body);
        benchmark::DoNotOptimize(model);
    }
}
BENCHMARK(BM_DecodeStatTypeMismatch)->Unit(benchmark::kNanosecond);

void BM_ParseStatOnly(benchmark::State& state) {
    for (auto _ : state) {
        auto value = parseJSON(snakeBody);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_ParseStatOnly)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
