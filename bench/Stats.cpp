#include "Stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>

namespace bench {

namespace {

std::string Fixed(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof(buf), "%.*f", digits, v);
  return buf;
}

// Few digits for big numbers, more for small ones.
std::string Short(double v) {
  const double a = std::fabs(v);
  return Fixed(v, a >= 100 ? 0 : a >= 10 ? 1 : a >= 1 ? 2 : 3);
}

std::string Pad(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  return Fixed(v, 4);
}

}  // namespace

Summary Summarize(std::vector<double> values) {
  Summary s;
  s.count = values.size();
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  s.min = values.front();
  s.max = values.back();
  return s;
}

std::optional<double> Slope(double x1, double y1, double x2, double y2) {
  if (x1 <= 0 || x2 <= 0 || y1 <= 0 || y2 <= 0 || x1 == x2) return std::nullopt;
  return std::log(y2 / y1) / std::log(x2 / x1);
}

std::optional<double> FitSlope(const std::vector<double>& xs, const std::vector<double>& ys) {
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  std::size_t n = 0;
  for (std::size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
    if (xs[i] <= 0 || ys[i] <= 0) continue;
    const double lx = std::log(xs[i]), ly = std::log(ys[i]);
    sx += lx;
    sy += ly;
    sxx += lx * lx;
    sxy += lx * ly;
    ++n;
  }
  const double d = static_cast<double>(n) * sxx - sx * sx;
  if (n < 2 || d == 0) return std::nullopt;
  return (static_cast<double>(n) * sxy - sx * sy) / d;
}

const std::vector<FigureInfo>& Figures() {
  static const std::vector<FigureInfo> figures = {
      {"discovery_cold_ms", "discovery, cold", "ms", true},
      {"discovery_warm_ms", "discovery, warm", "ms", true},
      {"floor_ms", "floor (bare reads)", "ms", true},
      {"cold_over_floor", "cold / floor", "x", false},
      {"warm_over_floor", "warm / floor", "x", false},
      {"backup_ms", "BackupRegistry", "ms", true},
      {"reg_export_net_ms", "reg export - start-up", "ms", true},
      {"backup_over_reg_export", "backup / reg export", "x", false},
      {"table_refresh_ms", "refresh of all tables", "ms", true},
      {"refresh_over_discovery", "refresh / warm discovery", "x", false},
      {"refresh_over_listing", "refresh / listing in the window", "x", false},
      {"fill_ms", "filling the lists (no listing)", "ms", true},
      {"fill_over_discovery", "filling / warm discovery", "x", false},
      {"sort_ms", "sort by a column", "ms", true},
      {"filter_ms", "filter keystroke", "ms", true},
      {"inventory_ms", "inventory save and compare", "ms", true},
      {"inventory_over_discovery", "inventory / warm discovery", "x", false},
      {"peak_working_set_mb", "peak working set", "MB", true},
      {"kb_per_1000_records", "memory per 1,000 records", "KB", false},
  };
  return figures;
}

std::string ConfigResult::Serialize() const {
  std::ostringstream out;
  out << "config " << addonsPerKind << ' ' << userHives << ' ' << records << ' ' << floorEntries << ' '
      << exportCalls << ' ' << Fixed(populateMs, 3) << '\n';
  for (const auto& [name, values] : series) {
    out << "series " << name;
    for (double v : values) out << ' ' << Fixed(v, 6);
    out << '\n';
  }
  return out.str();
}

bool ConfigResult::Parse(const std::string& text, ConfigResult& out) {
  std::istringstream in(text);
  std::string line;
  bool haveConfig = false;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string tag;
    fields >> tag;
    if (tag == "config") {
      fields >> out.addonsPerKind >> out.userHives >> out.records >> out.floorEntries >> out.exportCalls >>
          out.populateMs;
      haveConfig = !fields.fail();
    } else if (tag == "series") {
      std::string name;
      fields >> name;
      std::vector<double> values;
      double v;
      while (fields >> v) values.push_back(v);
      out.series[name] = values;
    }
  }
  return haveConfig;
}

std::string TableText(const std::vector<ConfigResult>& results, int runs) {
  std::ostringstream out;
  out << "Median of " << runs << " runs [min-max]. Ratios are taken within each run.\n\n";
  // One block per figure keeps the lines short enough for a terminal.
  for (const auto& figure : Figures()) {
    out << figure.title << " (" << figure.unit << ")\n";
    out << Pad("add-ons/kind", 13) << Pad("hives", 7) << Pad("records", 9) << "   median [min-max]\n";
    for (const auto& r : results) {
      out << Pad(std::to_string(r.addonsPerKind), 13) << Pad(std::to_string(r.userHives), 7)
          << Pad(std::to_string(r.records), 9) << "   ";
      auto it = r.series.find(figure.key);
      if (it == r.series.end() || it->second.empty()) {
        out << "n/a\n";
        continue;
      }
      const Summary s = Summarize(it->second);
      out << Short(s.median) << " [" << Short(s.min) << "-" << Short(s.max) << "]\n";
    }
    out << '\n';
  }

  // Growth exponents: per number of hives, between consecutive sizes.
  std::set<std::size_t> hives;
  for (const auto& r : results) hives.insert(r.userHives);
  out << "Growth exponent (log-log slope of the medians between sizes; 1.0 is linear)\n";
  for (const auto& figure : Figures()) {
    if (!figure.growth) continue;
    for (std::size_t h : hives) {
      std::vector<double> xs, ys;
      for (const auto& r : results) {
        if (r.userHives != h) continue;
        auto it = r.series.find(figure.key);
        if (it == r.series.end() || it->second.empty()) continue;
        xs.push_back(static_cast<double>(r.addonsPerKind));
        ys.push_back(Summarize(it->second).median);
      }
      out << "  " << figure.title << ", " << h << " hives:";
      if (xs.size() < 2) {
        out << " n/a\n";
        continue;
      }
      for (std::size_t i = 1; i < xs.size(); ++i) {
        const auto k = Slope(xs[i - 1], ys[i - 1], xs[i], ys[i]);
        out << "  " << static_cast<long long>(xs[i - 1]) << "->" << static_cast<long long>(xs[i]) << ": "
            << (k ? Fixed(*k, 2) : std::string("n/a"));
      }
      const auto fit = FitSlope(xs, ys);
      out << "  | fit " << (fit ? Fixed(*fit, 2) : std::string("n/a")) << '\n';
    }
  }
  return out.str();
}

std::string JsonText(const std::vector<ConfigResult>& results, int runs, const std::string& notes) {
  std::ostringstream out;
  out << "{\n  \"runs\": " << runs << ",\n  \"notes\": \"" << notes << "\",\n  \"configs\": [";
  bool firstConfig = true;
  for (const auto& r : results) {
    out << (firstConfig ? "\n" : ",\n") << "    {\"addonsPerKind\": " << r.addonsPerKind
        << ", \"userHives\": " << r.userHives << ", \"records\": " << r.records
        << ", \"floorEntries\": " << r.floorEntries << ", \"regExportCallsPerRun\": " << r.exportCalls
        << ", \"populateMs\": " << JsonNumber(r.populateMs) << ",\n     \"figures\": {";
    firstConfig = false;
    bool firstFigure = true;
    for (const auto& figure : Figures()) {
      out << (firstFigure ? "\n" : ",\n") << "       \"" << figure.key << "\": ";
      firstFigure = false;
      auto it = r.series.find(figure.key);
      if (it == r.series.end() || it->second.empty()) {
        out << "null";
        continue;
      }
      const Summary s = Summarize(it->second);
      out << "{\"unit\": \"" << figure.unit << "\", \"median\": " << JsonNumber(s.median)
          << ", \"min\": " << JsonNumber(s.min) << ", \"max\": " << JsonNumber(s.max) << ", \"runs\": [";
      for (std::size_t i = 0; i < it->second.size(); ++i) out << (i ? ", " : "") << JsonNumber(it->second[i]);
      out << "]}";
    }
    out << "\n     }}";
  }
  out << "\n  ],\n  \"growth\": [";
  std::set<std::size_t> hives;
  for (const auto& r : results) hives.insert(r.userHives);
  bool firstGrowth = true;
  for (const auto& figure : Figures()) {
    if (!figure.growth) continue;
    for (std::size_t h : hives) {
      std::vector<double> xs, ys;
      for (const auto& r : results) {
        auto it = r.series.find(figure.key);
        if (r.userHives != h || it == r.series.end() || it->second.empty()) continue;
        xs.push_back(static_cast<double>(r.addonsPerKind));
        ys.push_back(Summarize(it->second).median);
      }
      if (xs.size() < 2) continue;
      out << (firstGrowth ? "\n" : ",\n") << "    {\"figure\": \"" << figure.key << "\", \"userHives\": " << h
          << ", \"steps\": [";
      firstGrowth = false;
      for (std::size_t i = 1; i < xs.size(); ++i) {
        const auto k = Slope(xs[i - 1], ys[i - 1], xs[i], ys[i]);
        out << (i > 1 ? ", " : "") << "{\"from\": " << static_cast<long long>(xs[i - 1])
            << ", \"to\": " << static_cast<long long>(xs[i]) << ", \"exponent\": " << (k ? JsonNumber(*k) : "null")
            << "}";
      }
      const auto fit = FitSlope(xs, ys);
      out << "], \"fit\": " << (fit ? JsonNumber(*fit) : "null") << "}";
    }
  }
  out << "\n  ]\n}\n";
  return out.str();
}

}  // namespace bench
