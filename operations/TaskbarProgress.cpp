#include "operations/TaskbarProgress.h"

#include "base/ErrorReturn.h"

namespace {

HRESULT CreateTaskbarList(ITaskbarList3** list) {
  *list = nullptr;
  ITaskbarList3* created = nullptr;
  const HRESULT hr = ::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                        reinterpret_cast<void**>(&created));
  if (FAILED(hr)) return hr;
  UniqueCom<ITaskbarList3> owned(created);
  const HRESULT init = owned.get()->HrInit();
  if (FAILED(init)) return init;
  *list = owned.release();
  return S_OK;
}

const TaskbarPlatform kRealCalls = {&CreateTaskbarList};
TaskbarPlatform calls = kRealCalls;

}  // namespace

TaskbarPlatform& TaskbarCalls() { return calls; }
const TaskbarPlatform& RealTaskbarCalls() { return kRealCalls; }

void TaskbarProgress::Attach(HWND owner) {
  // A child window has no button of its own.
  if (!owner || ::GetAncestor(owner, GA_ROOT) != owner) return;
  ITaskbarList3* list = nullptr;
  const HRESULT hr = calls.createTaskbarList(&list);
  if (FAILED(hr)) {
    TRACE_FAILURE(hr);
    return;
  }
  list_.reset(list);
  owner_ = owner;
}

void TaskbarProgress::Counting() { SetState(TBPF_INDETERMINATE); }

void TaskbarProgress::Show(uint32_t position, uint32_t range) {
  if (!list_) return;
  const HRESULT hr = list_.get()->SetProgressValue(owner_, position, range);
  if (FAILED(hr)) TRACE_FAILURE(hr);
}

void TaskbarProgress::Pause(bool paused) { SetState(paused ? TBPF_PAUSED : TBPF_NORMAL); }

void TaskbarProgress::Clear() {
  SetState(TBPF_NOPROGRESS);
  list_.reset();
  owner_ = nullptr;
}

void TaskbarProgress::SetState(TBPFLAG state) {
  if (!list_) return;
  const HRESULT hr = list_.get()->SetProgressState(owner_, state);
  if (FAILED(hr)) TRACE_FAILURE(hr);
}
