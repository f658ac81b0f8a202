// Every volume answers the storage question as a solid-state drive, or
// refuses it as Wine's drives do, while one of these lives.
#pragma once

namespace testing_support {

class SolidStateDrive {
 public:
  // answers false: the drive opens but answers no storage property.
  explicit SolidStateDrive(bool answers = true);
  ~SolidStateDrive();
  SolidStateDrive(const SolidStateDrive&) = delete;
  SolidStateDrive& operator=(const SolidStateDrive&) = delete;
  // Volume devices opened since the drive was made.
  static int opens();
};

}  // namespace testing_support
