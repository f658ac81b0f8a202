// A test's own entries in a platform table for one scope. The table that
// was in use comes back on every way out, also when a failed assertion
// returns early or a stand-in throws, so that the next test starts with the
// system's own calls.
//   SeamOverride calls(FileSystemCalls());
//   calls->openAt = &DeniedOpen;
#pragma once

template <typename Table>
class SeamOverride {
 public:
  explicit SeamOverride(Table& live) : live_(live), saved_(live) {}
  SeamOverride(Table& live, const Table& replacement) : SeamOverride(live) { live_ = replacement; }
  ~SeamOverride() { live_ = saved_; }
  SeamOverride(const SeamOverride&) = delete;
  SeamOverride& operator=(const SeamOverride&) = delete;

  Table* operator->() const { return &live_; }
  Table& operator*() const { return live_; }
  // What was in use before: the calls a stand-in passes on to.
  const Table& saved() const { return saved_; }

 private:
  Table& live_;
  const Table saved_;
};
