#pragma once
// The benchmarks' machine: N add-ons of every kind spread over the
// machine's two views and H user hives, each with a class and a file.
#include "support/MemoryMachine.h"

namespace benchmachine {

void Build(qlmtest::MemoryMachine& m, int perKind, int hives);

}  // namespace benchmachine
