#pragma once
// Figures of the benchmark: summaries of repeated runs, growth exponents,
// and the table and JSON they are reported in. Platform-free, apart from
// the clock.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// Milliseconds on a monotonic clock.
double NowMs();

struct Summary {
  double median = 0, min = 0, max = 0;
  std::size_t count = 0;
};
Summary Summarize(std::vector<double> values);

// The exponent k of y ~ x^k between two points (log-log slope); empty when
// a value is not positive.
std::optional<double> Slope(double x1, double y1, double x2, double y2);
// Least-squares log-log slope over all points with positive values.
std::optional<double> FitSlope(const std::vector<double>& xs, const std::vector<double>& ys);

// The figures of one registry size: one value per run for each series.
struct ConfigResult {
  std::size_t addonsPerKind = 0;
  std::size_t userHives = 0;
  std::size_t records = 0;      // records discovery lists, all kinds
  std::size_t floorEntries = 0; // entries the bare loop found
  std::size_t exportCalls = 0;  // reg export processes per run
  double populateMs = 0;
  std::map<std::string, std::vector<double>> series;

  // Text form passed from a measuring process to the driver.
  std::string Serialize() const;
  static bool Parse(const std::string& text, ConfigResult& out);
};

// The figure names, in the order of the table.
struct FigureInfo {
  const char* key;
  const char* title;
  const char* unit;
  bool growth;  // gets a growth exponent
};
const std::vector<FigureInfo>& Figures();

// The table printed at the end, and the JSON file holding the same figures.
std::string TableText(const std::vector<ConfigResult>& results, int runs);
std::string JsonText(const std::vector<ConfigResult>& results, int runs, const std::string& notes);

}  // namespace bench
