// Every volume answers the storage question as a solid-state drive, or
// refuses it as Wine's drives do, while one of these lives.
#pragma once
#include "base/DriveMedia.h"
#include "tests/shared/SeamOverride.h"

namespace testing_support {

class SolidStateDrive {
 public:
  // answers false: the drive opens but answers no storage property.
  explicit SolidStateDrive(bool answers = true);
  // Volume devices opened since the drive was made.
  static int opens();

 private:
  SeamOverride<DriveMediaPlatform> calls_{DriveMediaCalls()};
};

}  // namespace testing_support
