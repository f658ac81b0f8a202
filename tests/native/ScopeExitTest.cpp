// The scope guard's clean-up runs once on every way out, in reverse order.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "base/ScopeExit.h"

namespace {

int Leave(std::string& log, bool early) {
  const ScopeExit first([&log] { log += "1"; });
  const ScopeExit second([&log] { log += "2"; });
  if (early) return 1;
  log += "body";
  return 0;
}

}  // namespace

TEST(ScopeExit, CleansUpOnceOnEveryWayOutInReverseOrder) {
  std::string log;
  EXPECT_EQ(0, Leave(log, false));
  EXPECT_EQ("body21", log);
  log.clear();
  EXPECT_EQ(1, Leave(log, true));
  EXPECT_EQ("21", log);
  log.clear();
  try {
    const ScopeExit cleanup([&log] { log += "cleaned"; });
    throw std::runtime_error("thrown");
  } catch (const std::runtime_error&) {
    log += " caught";
  }
  EXPECT_EQ("cleaned caught", log);
}
