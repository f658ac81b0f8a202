// A test's table overrides: what was in use comes back on every way out.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/shared/SeamOverride.h"

namespace {

struct Table {
  int (*answer)();
  int (*other)();
};

int Real() { return 1; }
int Fake() { return 2; }
int Other() { return 3; }

Table live = {&Real, &Other};

int AnswerAfterOverrideThatThrows() {
  try {
    SeamOverride calls(live);
    calls->answer = &Fake;
    throw std::runtime_error("stand-in failed");
  } catch (const std::runtime_error&) {
  }
  return live.answer();
}

int AnswerInsideEarlyReturn(bool early) {
  SeamOverride calls(live);
  calls->answer = &Fake;
  if (early) return live.answer();
  return 0;
}

}  // namespace

TEST(SeamOverride, EntriesChangeForTheScopeAndTheOldTableComesBackOnEveryWayOut) {
  {
    SeamOverride calls(live);
    calls->answer = &Fake;
    EXPECT_EQ(2, live.answer());
    EXPECT_EQ(3, live.other());  // untouched entries stay
    EXPECT_EQ(&Real, calls.saved().answer);
  }
  EXPECT_EQ(1, live.answer());
  EXPECT_EQ(2, AnswerInsideEarlyReturn(true));
  EXPECT_EQ(1, live.answer());
  EXPECT_EQ(1, AnswerAfterOverrideThatThrows());
}

TEST(SeamOverride, AWholeReplacementAndNestedOverridesUnwindInOrder) {
  {
    SeamOverride whole(live, Table{&Fake, &Fake});
    EXPECT_EQ(2, live.other());
    {
      SeamOverride inner(live);
      (*inner).other = &Other;
      EXPECT_EQ(3, live.other());
      EXPECT_EQ(&Fake, inner.saved().other);
    }
    EXPECT_EQ(2, live.other());
  }
  EXPECT_EQ(1, live.answer());
  EXPECT_EQ(3, live.other());
}
