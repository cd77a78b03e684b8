#pragma once
// The benchmarks' hive files: a key of a registry source and everything
// below it written as a hive file, laid out as the system lays one out
// (cells in 4 KB hive bins, a bin only as large as its cell needs; subkeys
// in lh lists, under an ri index above 1,000). Enough for the data the
// benchmarks make: no value over 16,344 bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/sources/RegistrySource.h"

namespace benchhive {

std::vector<std::uint8_t> Write(engine::RegistrySource& source, engine::Tree tree, const std::wstring& path);

}  // namespace benchhive
