// Times the hive reader. The machine EngineBench lists (N add-ons per kind
// over H user hives, at 1,000 and at N) is written as an offline image: its
// SOFTWARE hive, whose ProfileList names one profile a user, and each
// user's NTUSER.DAT. Each run lists every kind with state from that image,
// in a process of its own (its time and peak memory, also above that of an
// empty image's listing), against the time reglookup takes to dump the
// same files; and walks every key, value and data of the software hive,
// from memory and from the file. Then the same
// walk of a software hive of about 100 MB (the machine scaled up), and how
// each figure grows. Prints min and median of the runs; asserts nothing.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchHive.h"
#include "BenchMachine.h"
#include "engine/files/ImageFileSource.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonListing.h"
#include "engine/offline/OfflineMachine.h"
#include "support/MemoryMachine.h"

namespace fs = std::filesystem;
using engine::Tree;
using Bytes = std::vector<std::uint8_t>;

namespace {

const fs::path kRoot = "/tmp/qlm-hive-bench";
const std::wstring kProfileList = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";

double MsSince(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

void Save(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// The image of the bench machine in dir; the hive files written, software first.
std::vector<fs::path> WriteImage(int perKind, int hives, const fs::path& dir) {
  qlmtest::MemoryMachine machine;
  benchmachine::Build(machine, perKind, hives);
  fs::remove_all(dir);
  std::vector<fs::path> files = {dir / "Windows/System32/config/SOFTWARE"};
  const auto sids = machine.registry.SubKeyNames(Tree::Users, L"");
  for (std::size_t i = 0; i < sids.size(); ++i) {
    const std::wstring user = L"user" + std::to_wstring(i + 1);
    machine.registry.SetString(Tree::Machine, kProfileList + sids[i], L"ProfileImagePath", L"C:\\Users\\" + user);
    files.push_back(dir / "Users" / fs::path(user) / "NTUSER.DAT");
    Save(files.back(), benchhive::Write(machine.registry, Tree::Users, sids[i]));
  }
  Save(files[0], benchhive::Write(machine.registry, Tree::Machine, L"SOFTWARE"));
  Save(dir / "Program Files/Bench/bench.dll", Bytes(4096, 0x90));
  return files;
}

// The process's peak resident memory. Not ru_maxrss: a child forked from
// this process would count the parent's memory as its own.
long PeakKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

struct Ran {
  double ms = 0;
  std::string out;
};

// A program run to its end: its wall time and output (or its output thrown
// away).
Ran Run(const std::vector<std::string>& args, bool keepOutput) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = keepOutput ? pipeFds[1] : open("/dev/null", O_WRONLY);
    dup2(out, STDOUT_FILENO);
    close(pipeFds[0]);
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  Ran ran;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) ran.out.append(buffer, n);
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ran.ms = MsSince(start);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::fprintf(stderr, "%s failed\n", args[0].c_str());
  return ran;
}

// Every key, value and data of a hive, each name decoded and each data
// copied out, as a caller of the reader gets them; the keys walked.
std::size_t WalkAll(engine::HiveFile& hive) {
  std::size_t keys = 0;
  engine::ValueData data;
  for (std::vector<engine::HiveNode> todo = {*hive.Key(hive.RootCell())}; !todo.empty(); ++keys) {
    const engine::HiveNode key = todo.back();
    todo.pop_back();
    hive.VisitValues(key, [&](const engine::HiveValue& value) { hive.ReadData(value, engine::kMaxReadValueBytes, data); });
    hive.VisitSubKeys(key, [&](const engine::HiveKey& sub) { todo.push_back(sub); });
  }
  return keys;
}

// "list DIR": the offline listing of an image; prints the entries and the
// peak memory.
int ListImage(const char* dir) {
  engine::ImageFileSource image{fs::path(dir)};
  engine::OfflineMachine machine(&image, {}, [](const std::wstring&) { return nullptr; });
  std::size_t entries = 0;
  for (const auto& kind : discovery::AddonKinds()) entries += discovery::ListAddons(kind, machine.Sources()).size();
  std::printf("%zu %ld", entries, PeakKb());
  return 0;
}

// "walk FILE memory|file": the walk of one hive, read into memory first or
// read from the file as an image's hive is; prints its milliseconds, the
// keys and the peak memory.
int WalkHive(const char* file, bool inMemory) {
  const fs::path path(file);
  engine::ImageFileSource folder(path.parent_path());
  auto opened = folder.Open(L"C:\\" + path.filename().wstring());
  std::unique_ptr<engine::HiveBytes> bytes;
  if (inMemory)
    bytes = engine::CopiedHiveBytes(*opened, UINT64_MAX);
  else
    bytes = std::make_unique<engine::HiveBytesOver<engine::OpenFile>>(std::move(opened));
  const auto start = std::chrono::steady_clock::now();
  auto hive = engine::HiveFile::Open(std::move(bytes)).hive;
  const std::size_t keys = hive ? WalkAll(*hive) : 0;
  std::printf("%.3f %zu %ld", MsSince(start), keys, PeakKb());
  return 0;
}

struct Figures {
  double listMs = 0, dumpMs = 0, peakKb = 0, addedKb = 0, memoryMbs = 0, fileMbs = 0;
};
using Samples = std::vector<Figures>;

double Pick(Samples runs, double Figures::*field, bool median) {
  std::sort(runs.begin(), runs.end(), [&](const Figures& a, const Figures& b) { return a.*field < b.*field; });
  return median ? runs[runs.size() / 2].*field : runs.front().*field;
}
std::string MinMedian(const Samples& runs, double Figures::*field, const char* format) {
  char text[96];
  std::snprintf(text, sizeof text, format, Pick(runs, field, false), Pick(runs, field, true));
  return text;
}

// The walk of one hive file, in memory and from the file, in MB/s.
void Walk(const std::string& self, const fs::path& hive, Figures& figures) {
  const double mb = fs::file_size(hive) / 1e6;
  for (const bool inMemory : {true, false}) {
    const Ran walk = Run({self, "walk", hive.string(), inMemory ? "memory" : "file"}, true);
    (inMemory ? figures.memoryMbs : figures.fileMbs) = mb / (std::atof(walk.out.c_str()) / 1e3);
  }
}

// The runs over the image of perKind add-ons a kind; its hives' bytes.
// The peak memory of the listing over an image with no hives: what the
// process holds before the listing adds anything.
double BaselineKb(const std::string& self) {
  const fs::path empty = kRoot / "empty";
  fs::remove_all(empty);
  fs::create_directories(empty);
  double entries = 0, peakKb = 0;
  std::sscanf(Run({self, "list", empty.string()}, true).out.c_str(), "%lf %lf", &entries, &peakKb);
  return peakKb;
}

Samples Measure(const std::string& self, int perKind, int hives, int runs, double& hiveBytes) {
  const double baselineKb = BaselineKb(self);
  const fs::path dir = kRoot / std::to_string(perKind);
  const auto files = WriteImage(perKind, hives, dir);
  hiveBytes = 0;
  for (const auto& file : files) hiveBytes += fs::file_size(file);
  std::printf("%d add-ons per kind, %d profiles: %zu hive files, %.1f MB (software %.1f MB) in %s\n", perKind,
              hives, files.size(), hiveBytes / 1e6, fs::file_size(files[0]) / 1e6, dir.c_str());
  Samples samples;
  for (int run = 0; run < runs; ++run) {
    Figures& f = samples.emplace_back();
    const Ran list = Run({self, "list", dir.string()}, true);
    std::size_t entries = 0;
    std::sscanf(list.out.c_str(), "%zu %lf", &entries, &f.peakKb);
    f.addedKb = f.peakKb - baselineKb;
    f.listMs = list.ms;
    for (const auto& file : files) f.dumpMs += Run({"reglookup", "-H", file.string()}, false).ms;
    Walk(self, files[0], f);
    std::printf("  run %d: %zu entries listed in %.0f ms, peak %.0f KB (%.0f above an empty run's %.0f); reglookup "
                "dump %.0f ms (ratio %.2f); walk of the software hive %.0f MB/s in memory, %.0f MB/s from the file\n",
                run + 1, entries, f.listMs, f.peakKb, f.addedKb, baselineKb, f.dumpMs, f.listMs / f.dumpMs,
                f.memoryMbs, f.fileMbs);
    std::fflush(stdout);
  }
  std::printf("  min/median: listing %s ms, dump %s ms (ratio of the medians %.2f), peak memory %s KB (%s KB "
              "above an empty run) against twice the hives %.0f KB, walk %s MB/s in memory, %s MB/s from the file\n",
              MinMedian(samples, &Figures::listMs, "%.0f/%.0f").c_str(),
              MinMedian(samples, &Figures::dumpMs, "%.0f/%.0f").c_str(),
              Pick(samples, &Figures::listMs, true) / Pick(samples, &Figures::dumpMs, true),
              MinMedian(samples, &Figures::peakKb, "%.0f/%.0f").c_str(),
              MinMedian(samples, &Figures::addedKb, "%.0f/%.0f").c_str(), 2 * hiveBytes / 1024,
              MinMedian(samples, &Figures::memoryMbs, "%.0f/%.0f").c_str(),
              MinMedian(samples, &Figures::fileMbs, "%.0f/%.0f").c_str());
  return samples;
}

// The walk of a software hive of at least minMb, the machine scaled up.
void MeasureLarge(const std::string& self, double softwareBytesPerAddon, double minMb, int runs) {
  const int perKind = static_cast<int>(std::ceil(minMb * 1.01e6 / softwareBytesPerAddon));  // a little over
  qlmtest::MemoryMachine machine;
  benchmachine::Build(machine, perKind, 10);
  const fs::path file = kRoot / "large" / "SOFTWARE";
  Save(file, benchhive::Write(machine.registry, Tree::Machine, L"SOFTWARE"));
  std::printf("walk of a %.1f MB software hive (%d add-ons per kind):\n", fs::file_size(file) / 1e6, perKind);
  Samples samples;
  for (int run = 0; run < runs; ++run) Walk(self, file, samples.emplace_back());
  std::printf("  min/median %s MB/s in memory, %s MB/s from the file\n",
              MinMedian(samples, &Figures::memoryMbs, "%.0f/%.0f").c_str(),
              MinMedian(samples, &Figures::fileMbs, "%.0f/%.0f").c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "list" && argc > 2) return ListImage(argv[2]);
  if (mode == "walk" && argc > 3) return WalkHive(argv[2], std::string(argv[3]) == "memory");
  const int perKind = argc > 1 ? std::atoi(argv[1]) : 5000;
  const int hives = argc > 2 ? std::atoi(argv[2]) : 10;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
  const double largeMb = argc > 4 ? std::atof(argv[4]) : 100;
  const std::string self = fs::read_symlink("/proc/self/exe");
  const int small = std::min(1000, perKind);
  double smallBytes = 0, largeBytes = 0;
  const Samples atSmall = Measure(self, small, hives, runs, smallBytes);
  const Samples atLarge = perKind > small ? Measure(self, perKind, hives, runs, largeBytes) : atSmall;
  if (perKind > small) {
    // How each median grows with the add-ons (the walk: its time with the bytes).
    const double k = std::log(double(perKind) / small), b = std::log(largeBytes / smallBytes);
    const auto exponent = [&](double Figures::*field) {
      return std::log(Pick(atLarge, field, true) / Pick(atSmall, field, true)) / k;
    };
    std::printf("growth from %d to %d per kind (log-log exponent of the medians): listing %.2f, dump %.2f, peak "
                "memory %.2f, hive bytes %.2f; walk time over hive bytes %.2f in memory, %.2f from the file\n",
                small, perKind, exponent(&Figures::listMs), exponent(&Figures::dumpMs), exponent(&Figures::peakKb),
                b / k, 1 - std::log(Pick(atLarge, &Figures::memoryMbs, true) / Pick(atSmall, &Figures::memoryMbs, true)) / b,
                1 - std::log(Pick(atLarge, &Figures::fileMbs, true) / Pick(atSmall, &Figures::fileMbs, true)) / b);
  }
  const auto software = fs::file_size(kRoot / std::to_string(perKind) / "Windows/System32/config/SOFTWARE");
  if (largeMb > 0) MeasureLarge(self, double(software) / perKind, largeMb, runs);
  return 0;
}
