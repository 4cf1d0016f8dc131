// Test support: one piece of work on eight threads at once.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

namespace velut_test {

constexpr int kThreads = 8;

// Calls work(id) for ids 0 to 7, each on its own thread, all started before
// any is joined; returns the sum of the results (the count of wrong ones).
template <typename Work>
int RunOnThreads(Work work) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int id = 0; id < kThreads; ++id)
    threads.emplace_back([id, &wrong, &work] { wrong += work(id); });
  for (std::thread& t : threads) t.join();
  return wrong.load();
}

}  // namespace velut_test
