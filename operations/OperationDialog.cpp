#include <windows.h>
#include <commctrl.h>

#include "operations/OperationDialog.h"

#include "base/HelpPopup.h"
#include "operations/FolderOperation.h"
#include "operations/OperationMessages.h"
#include "operations/OperationPlatform.h"
#include "operations/OperationWorker.h"
#include "operations/ProgressLines.h"
#include "operations/RunTexts.h"
#include "operations/ProgressTexts.h"
#include "operations/TaskbarProgress.h"
#include "resources/ResourceIds.h"
#include "base/WideText.h"
#include "base/ActivationContext.h"
#include "base/ErrorReturn.h"
#include "base/Handles.h"
#include "base/LastError.h"
#include "base/Module.h"
#include "base/DisplayScale.h"
#include "base/WindowDpi.h"

namespace {

std::wstring ModuleText(unsigned id) { return WideFromUtf8(ModuleStringUtf8(id)); }

const OperationPlatform kRealCalls = {&::CreateThread, &::HeapAlloc, &::GetTickCount};
OperationPlatform calls = kRealCalls;

class OperationDialog {
 public:
  OperationDialog(FolderOperation& operation, HWND owner) : op_(operation), owner_(owner) {}
  OperationDialog(const OperationDialog&) = delete;
  OperationDialog& operator=(const OperationDialog&) = delete;

  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool bound() const { return window_ != nullptr; }

 private:
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Initialise();
  void StartWork();
  void Refuse(const std::wstring& refusal);
  void OnWorkDone();
  void OnCancel();
  void ShowProgress(ProgressLine line, const wchar_t* text, std::wstring* kept, int control);
  void SetText(int control, const std::wstring& text);
  void Show(int control, bool show);
  void FitText();
  void MoveDown(int control, int distance);
  void ShowWorking(bool show);
  void MakeRoomForProgress();
  void OnProgress(const ProgressFigures& figures, bool now);
  void OnPause();

  FolderOperation& op_;
  HWND window_ = nullptr;
  const HWND owner_;  // as the caller gave it: the system puts a child's top-level window in its place
  bool started_ = false;  // a run may start once only
  TaskbarProgress taskbar_;
};

INT_PTR CALLBACK OperationDialog::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<OperationDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (!self) {
    self = static_cast<OperationDialog*>(TakeCreateWindowObject());
    if (!self) return FALSE;
    ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
    self->op_.window = window;
  }
  try {
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    TRACE_FAILURE(kResultOutOfMemory);
    return FALSE;
  }
}

INT_PTR OperationDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        if (op_.idle && !started_) {
          op_.idle = 0;
          StartWork();
        }
      } else if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
      } else if (LOWORD(wParam) == IDC_PAUSE) {
        OnPause();
      } else if (HIWORD(wParam) == 0) {
        // The popup takes text in the code page alone.
        ShowHelpPopup(window_, CodePageFromWide(op_.folderListText).c_str());
      }
      return TRUE;
    case WM_CLOSE:
      OnCancel();
      return TRUE;
    case WM_OP_FILE:
      ShowProgress(PathLine, reinterpret_cast<const wchar_t*>(wParam), &op_.fileText, IDC_FILENAME);
      return TRUE;
    case WM_OP_PASS:
      ShowProgress(PassesLine, reinterpret_cast<const wchar_t*>(wParam), &op_.passesText, IDC_PASSES);
      return TRUE;
    case WM_OP_PROGRESS:
      OnProgress(*reinterpret_cast<const ProgressFigures*>(wParam), lParam != 0);
      return TRUE;
    case WM_OP_DONE:
      if (!op_.idle) OnWorkDone();
      return TRUE;
  }
  return FALSE;
}

void OperationDialog::Initialise() {
  static const int kIcons[] = {IDI_MODE_RECYCLE, IDI_MODE_DELETE, IDI_MODE_ERASE, IDI_MODE_DELETE};
  // The size the icon holds nearest to 32 x the dialog's resolution / 96.
  const int size = NearestSizeAtDpi(kModeIconSizes, kModeIconSizes[0], WindowDpi(window_));
  op_.icon.reset(static_cast<HICON>(::LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(kIcons[op_.mode]), IMAGE_ICON,
                                                 size, size, LR_DEFAULTCOLOR)));
  ::SetWindowTextW(window_, ModuleText(ModeCaptionId(op_.mode)).c_str());
  ::SendDlgItemMessageA(window_, IDC_MODEICON, STM_SETICON, reinterpret_cast<WPARAM>(op_.icon.get()), 0);
  // A refusal comes before everything, the start without a question too.
  const std::wstring refusal = ComposeRefusal(op_);
  if (!refusal.empty()) {
    Refuse(refusal);
    return;
  }
  if (op_.mode == ModeRecycle && op_.settings.DeleteConfirm == 0) {
    SetText(IDC_FILENAME, std::wstring());
    SetText(IDC_PASSES, std::wstring());
    op_.idle = 0;
    StartWork();
    return;
  }
  ComposeConfirmation(op_);
  SetText(IDC_TEXT, op_.messageText);
  FitText();
  SetText(IDC_FILENAME, op_.fileText);
  SetText(IDC_PASSES, op_.passesText);
}

void OperationDialog::StartWork() {
  started_ = true;
  Show(IDC_MODEICON, false);
  Show(IDC_TEXT, false);
  const HWND animation = ::GetDlgItem(window_, IDC_ANIMATION);
  ::SendMessageA(animation, ACM_OPENA, reinterpret_cast<WPARAM>(ModuleInstance()),
                 reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(IDA_OPERATION)));
  ::SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
  Show(IDC_ANIMATION, true);
  Show(IDOK, false);
  SetText(IDC_PAUSE, ModuleText(IDS_PAUSE));
  MakeRoomForProgress();
  ShowWorking(true);
  SetText(IDCANCEL, ModuleText(IDS_CANCEL));
  taskbar_.Attach(owner_);
  // The hidden "Yes" may have held the focus.
  ::SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(window_, IDCANCEL)), TRUE);

  op_.worker.reset(calls.createThread(nullptr, 0, &OperationWorker, &op_, 0, nullptr));
  if (!op_.worker) {
    // No worker, no end message: the run ended at once with nothing done,
    // and every selected folder is left as it was.
    TRACE_LAST_FAILURE();
    CountUnfinished(op_, static_cast<uint32_t>(op_.folders.size()));
    OnWorkDone();
  }
}

// The dialog says why and offers Exit alone; nothing can start the run.
void OperationDialog::Refuse(const std::wstring& refusal) {
  started_ = true;
  ComposeConfirmation(op_);
  op_.messageText = refusal;
  SetText(IDC_TEXT, op_.messageText);
  ::SendDlgItemMessageA(window_, IDC_MODEICON, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconA(nullptr, IDI_WARNING)),
                        0);
  Show(IDOK, false);
  SetText(IDCANCEL, ModuleText(IDS_EXIT));
  ::SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(window_, IDCANCEL)), TRUE);
}

void OperationDialog::OnWorkDone() {
  if (op_.worker) ::WaitForSingleObject(op_.worker.get(), INFINITE);
  taskbar_.Clear();
  if (!op_.report) {
    ::EndDialog(window_, 0);
    return;
  }
  op_.messageText = ComposeReport(op_);
  SetText(IDC_TEXT, op_.messageText);
  ::SendDlgItemMessageA(window_, IDC_ANIMATION, ACM_OPENA, 0, 0);
  Show(IDC_ANIMATION, false);
  ShowWorking(false);
  ::SendDlgItemMessageA(window_, IDC_MODEICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(::LoadIconA(nullptr, MAKEINTRESOURCEA(32516))), 0);
  Show(IDC_MODEICON, true);
  Show(IDC_TEXT, true);
  SetText(IDCANCEL, ModuleText(IDS_EXIT));
  op_.idle = 1;
}

void OperationDialog::OnCancel() {
  if (op_.idle)
    ::EndDialog(window_, 0);
  else
    ::InterlockedExchange(&op_.cancel, 1);
}

void OperationDialog::ShowProgress(ProgressLine line, const wchar_t* text, std::wstring* kept, int control) {
  const DWORD now = calls.tickCount();
  if (!ProgressLineDueAt(line, now)) return;
  StampProgressLine(line, now);
  *kept = text ? text : L"";
  SetText(control, *kept);
}

// The Working state's lines and controls, shown together and hidden
// together.
void OperationDialog::ShowWorking(bool show) {
  for (int control : {IDC_FILENAME, IDC_PASSES, IDC_PROGRESS, IDC_COUNTS, IDC_RATE, IDC_TIME_LEFT, IDC_PAUSE})
    Show(control, show);
}

// The bar and its two lines lie where the question's buttons are: the
// buttons, with the passes line beside them, go below the lines, and the
// dialog grows by as much.
void OperationDialog::MakeRoomForProgress() {
  RECT last = {}, cancel = {}, gap = {0, 0, 0, 4};
  ::GetWindowRect(::GetDlgItem(window_, IDC_TIME_LEFT), &last);
  ::GetWindowRect(::GetDlgItem(window_, IDCANCEL), &cancel);
  ::MapDialogRect(window_, &gap);
  const int shift = last.bottom + gap.bottom - cancel.top;
  if (shift <= 0) return;
  for (int control : {IDOK, IDCANCEL, IDC_PASSES, IDC_PAUSE}) MoveDown(control, shift);
  RECT frame = {};
  ::GetWindowRect(window_, &frame);
  ::SetWindowPos(window_, nullptr, frame.left, frame.top - shift / 2, frame.right - frame.left,
                 frame.bottom - frame.top + shift, SWP_NOZORDER | SWP_NOACTIVATE);
}

void OperationDialog::OnProgress(const ProgressFigures& figures, bool now) {
  const DWORD tick = calls.tickCount();
  if (!now && !ProgressLineDueAt(CountsLine, tick)) return;
  StampProgressLine(CountsLine, tick);
  const HWND bar = ::GetDlgItem(window_, IDC_PROGRESS);
  ::SendMessageW(bar, PBM_SETRANGE32, 0, kBarRange);
  const uint32_t position = BarPosition(figures);
  ::SendMessageW(bar, PBM_SETPOS, position, 0);
  SetText(IDC_COUNTS, WideFromUtf8(CountsText(figures, ModuleStringUtf8)));
  SetText(IDC_RATE, WideFromUtf8(RateText(figures, ModuleStringUtf8)));
  SetText(IDC_TIME_LEFT, WideFromUtf8(TimeLeftText(figures, ModuleStringUtf8)));
  if (figures.counting) {
    taskbar_.Counting();
    return;
  }
  if (now) taskbar_.Pause(op_.paused != 0);
  taskbar_.Show(position, kBarRange);
}

// The worker waits at its next entry or pass; the animation stands still
// with it.
void OperationDialog::OnPause() {
  if (op_.idle) return;
  const bool pause = op_.paused == 0;
  ::InterlockedExchange(&op_.paused, pause ? 1 : 0);
  SetText(IDC_PAUSE, ModuleText(pause ? IDS_RESUME : IDS_PAUSE));
  const HWND animation = ::GetDlgItem(window_, IDC_ANIMATION);
  if (pause)
    ::SendMessageA(animation, ACM_STOP, 0, 0);
  else
    ::SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
  taskbar_.Pause(pause);
}

void OperationDialog::SetText(int control, const std::wstring& text) {
  if (::SetDlgItemTextW(window_, control, text.c_str())) return;
  ::MessageBeep(0xFFFFFFFF);
  ::SetFocus(::GetDlgItem(window_, control));
}

void OperationDialog::Show(int control, bool show) {
  ::ShowWindow(::GetDlgItem(window_, control), show ? SW_SHOW : SW_HIDE);
}

// A question longer than the box it was drawn for (the solid-state note
// adds lines) grows the box, the dialog with it, and moves the buttons and
// the passes line below it down; the dialog stays centred where it was.
void OperationDialog::FitText() {
  const HWND text = ::GetDlgItem(window_, IDC_TEXT);
  RECT box = {};
  if (!::GetWindowRect(text, &box)) {
    TRACE_LAST_FAILURE();
    return;
  }
  RECT needed = {0, 0, box.right - box.left, 0};
  {
    // Measured as the static control draws: its font, breaking at words.
    WindowDC dc(text);
    if (!dc) {
      TRACE_FAILURE(kResultFail);
      return;
    }
    SelectionScope font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(text, WM_GETFONT, 0, 0)));
    if (!::DrawTextW(dc.get(), op_.messageText.c_str(), static_cast<int>(op_.messageText.size()), &needed,
                     DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS)) {
      TRACE_FAILURE(kResultFail);
      return;
    }
  }
  const int grow = needed.bottom - (box.bottom - box.top);
  if (grow <= 0) return;
  ::SetWindowPos(text, nullptr, 0, 0, box.right - box.left, needed.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (int control : {IDOK, IDCANCEL, IDC_PASSES}) MoveDown(control, grow);
  RECT frame = {};
  ::GetWindowRect(window_, &frame);
  ::SetWindowPos(window_, nullptr, frame.left, frame.top - grow / 2, frame.right - frame.left,
                 frame.bottom - frame.top + grow, SWP_NOZORDER | SWP_NOACTIVATE);
}

void OperationDialog::MoveDown(int control, int distance) {
  const HWND child = ::GetDlgItem(window_, control);
  RECT place = {};
  ::GetWindowRect(child, &place);
  ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
  ::SetWindowPos(child, nullptr, place.left, place.top + distance, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

OperationPlatform& OperationCalls() { return calls; }
const OperationPlatform& RealOperationCalls() { return kRealCalls; }

INT_PTR RunOperationDialog(FolderOperation& operation, HWND owner) {
  OperationDialog dialog(operation, owner);
  INT_PTR result = -1;
  {
    ActivationScope context;
    if (context.Failed()) {
      TRACE_FAILURE(kResultFail);
      return -1;
    }
    AddCreateWindowObject(&dialog);
    result = ::DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(IDD_OPERATION), owner, &OperationDialog::Proc, 0);
    if (!dialog.bound()) TakeCreateWindowObject();
  }
  if (result == -1) TRACE_LAST_FAILURE();
  if (operation.worker) {
    // Normally the worker has ended here. Should the window have gone away
    // under a running worker (its owner destroyed), the operation still lives
    // on the caller's stack: the worker must end first.
    ::InterlockedExchange(&operation.cancel, 1);
    ::WaitForSingleObject(operation.worker.get(), INFINITE);
  }
  return result;
}
