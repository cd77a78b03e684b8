#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "backup/TextJobPool.h"

using TextJobPool::RunJoined;
using TextJobPool::TextJob;

TEST(BackupTextJobPool, JoinsInJobOrderWhateverOrderTheJobsFinishIn) {
  // Earlier jobs take longer, so that they finish after later ones; the
  // early job (last in file order) is taken first.
  std::vector<TextJob> jobs;
  std::atomic<int> running{0}, mostAtOnce{0};
  std::mutex lock;
  std::set<DWORD> threadIds;
  for (int i = 0; i < 12; ++i) {
    jobs.push_back({[&, i] {
                      const int now = ++running;
                      for (int seen = mostAtOnce; now > seen && !mostAtOnce.compare_exchange_weak(seen, now);) {
                      }
                      Sleep(static_cast<DWORD>((12 - i) * 3));
                      {
                        const std::lock_guard<std::mutex> hold(lock);
                        threadIds.insert(GetCurrentThreadId());
                      }
                      --running;
                      return L"<" + std::to_wstring(i) + L">";
                    },
                    i == 11});
  }
  EXPECT_EQ(RunJoined(jobs, 3), L"<0><1><2><3><4><5><6><7><8><9><10><11>");
  EXPECT_GE(threadIds.size(), 2u);
  EXPECT_LE(mostAtOnce.load(), 3);

  // One thread: the caller's, all in order; no jobs: nothing.
  threadIds.clear();
  EXPECT_EQ(RunJoined(jobs, 1), L"<0><1><2><3><4><5><6><7><8><9><10><11>");
  EXPECT_EQ(threadIds, std::set<DWORD>{GetCurrentThreadId()});
  EXPECT_EQ(RunJoined({}, 4), L"");
}

TEST(BackupTextJobPool, AFailingJobFailsTheWholeTextAfterTheOthersRan) {
  // A file with a part missing must never pass for a backup.
  std::atomic<int> ran{0};
  std::vector<TextJob> jobs;
  for (int i = 0; i < 6; ++i) {
    jobs.push_back({[&, i]() -> std::wstring {
      ++ran;
      if (i == 2) throw std::runtime_error("part two");
      Sleep(5);
      return L"x";
    }});
  }
  try {
    RunJoined(jobs, 2);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "part two");
  }
  // Every thread was joined before the exception left: no job runs on.
  EXPECT_EQ(ran.load(), 6);
}
