// One whole resolution over loopback: three requests and three cuts. The
// figure is the floor that the service's own latency adds to.
#include <benchmark/benchmark.h>

#include <string>

#include "link_resolver.h"
#include "page_server.h"

namespace {

void BM_ResolveOverLoopback(benchmark::State& state) {
  const std::string dir = QUORLIN_FIXTURES_DIR;
  quorlin::test::PageServer server;
  server.ServeFile("/down_1.html", dir + "/chain/share.html");
  server.ServeFile("/file/8f3a.html", dir + "/chain/file.html");
  server.ServeFile("/dl.php?id=8f3a&amp;t=1", dir + "/chain/final.html");
  const std::string address = server.Url("/down_1.html");
  for (auto _ : state) {
    const std::string resolved = quorlin::ResolveDownloadAddress(address);
    if (resolved.empty()) state.SkipWithError("the chain did not resolve");
    benchmark::DoNotOptimize(resolved);
  }
}
BENCHMARK(BM_ResolveOverLoopback)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
