// How fast the markers are found on pages of realistic and hostile shapes.
#include <benchmark/benchmark.h>

#include <string>

#include "text_scan.h"

namespace {

constexpr const char* kStage1Start = "<tr>\r\n\t\t\t\t\t<td><a target=\"_blank\" href=\"";

// A share page of the size the service serves, with the link near its end.
std::string TypicalPage(std::size_t bytes) {
  std::string page;
  while (page.size() < bytes) {
    page +=
        "<div class=\"row\"><span>\xCE\xC4\xBC\xFE\xC3\xFB</span><a href=\"/x\">link</a></div>\r\n";
  }
  return page + kStage1Start + "/file/8f3a.html\">";
}

// Near-misses at every position, the worst case for a naive search.
std::string HostilePage(std::size_t bytes) {
  std::string page;
  while (page.size() < bytes) page += "<tr>\r\n\t\t\t\t<td><a target=\"_blank\" href=";
  return page + kStage1Start + "/file/8f3a.html\">";
}

void Run(benchmark::State& state, const std::string& page) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(quorlin::TextBetween(page, kStage1Start, "\">"));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}

void BM_TextBetweenTypicalPage(benchmark::State& state) {
  Run(state, TypicalPage(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_TextBetweenTypicalPage)->Arg(64 << 10)->Arg(1 << 20);

void BM_TextBetweenHostilePage(benchmark::State& state) {
  Run(state, HostilePage(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_TextBetweenHostilePage)->Arg(64 << 10)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
