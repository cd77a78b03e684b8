// Times the engine's listing of every kind over a machine in memory: N
// add-ons per kind spread over H user hives and the machine's two views,
// each with a class and a file. Prints figures; asserts nothing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchMachine.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonListing.h"
#include "support/MemoryMachine.h"

int main(int argc, char** argv) {
  const int perKind = argc > 1 ? std::atoi(argv[1]) : 5000;
  const int hives = argc > 2 ? std::atoi(argv[2]) : 10;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
  qlmtest::MemoryMachine machine;
  const auto built = std::chrono::steady_clock::now();
  benchmachine::Build(machine, perKind, hives);
  const double buildMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - built).count();
  std::printf("engine over memory: %d add-ons per kind, %d hives (built in %.0f ms)\n", perKind, hives, buildMs);
  for (int run = 0; run < runs; ++run) {
    std::size_t entries = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const auto& kind : discovery::AddonKinds()) entries += discovery::ListAddons(kind, machine.sources).size();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("  run %d: %zu entries listed with state and signature in %.0f ms\n", run + 1, entries, ms);
  }
  return 0;
}
