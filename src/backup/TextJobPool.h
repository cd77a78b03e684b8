#pragma once
// A small pool of threads that runs independent text jobs and joins their
// texts in a fixed order. The backup reads many separate key trees: while
// one thread waits on the registry, another can read the next tree.
#include <functional>
#include <string>
#include <vector>

namespace TextJobPool {

struct TextJob {
  std::function<std::wstring()> make;
  // Taken before the other jobs: for the longest one, so that it does not
  // start last and leave the other threads idle at the end.
  bool early = false;
};

// Runs every job once, on up to `threads` threads (the caller's own among
// them), and returns their texts joined in the order of `jobs`, whatever
// order they finished in. When jobs throw, the others still run and the
// first exception caught is rethrown once all threads are done.
std::wstring RunJoined(const std::vector<TextJob>& jobs, unsigned threads);

// The number of threads the backup uses here.
unsigned ThreadsForBackup();

}  // namespace TextJobPool
