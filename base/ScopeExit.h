// Runs a clean-up on every way out of a scope: early returns, exceptions.
//   const ScopeExit unlock([block] { ::GlobalUnlock(block); });
#pragma once
#include <utility>

template <typename Cleanup>
class ScopeExit {
 public:
  explicit ScopeExit(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
  ~ScopeExit() { cleanup_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Cleanup cleanup_;
};
