// The progress of a run on its owner window's taskbar button.
#pragma once
#include <windows.h>
#include <shobjidl.h>

#include <cstdint>

#include "base/Handles.h"

// The taskbar's object, which tests replace: S_OK with a reference in
// *list, initialised, or a failure.
struct TaskbarPlatform {
  HRESULT (*createTaskbarList)(ITaskbarList3** list);
};
// The table in use; tests change entries and put the real ones back.
TaskbarPlatform& TaskbarCalls();
// The system's own functions.
const TaskbarPlatform& RealTaskbarCalls();

// Shows nothing where the owner is not a top-level window, or where the
// taskbar cannot be reached; every failure is traced and harms nothing.
class TaskbarProgress {
 public:
  void Attach(HWND owner);
  void Counting();
  void Show(uint32_t position, uint32_t range);
  void Pause(bool paused);
  void Clear();

 private:
  void SetState(TBPFLAG state);
  HWND owner_ = nullptr;
  UniqueCom<ITaskbarList3> list_;
};
