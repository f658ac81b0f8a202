// Owner types for platform handles: move-only, get()/release()/reset()/put().
// A raw handle never outlives the line that made it.
#pragma once
#include <windows.h>

#include <utility>

// Traits: `Type`, `static Type Invalid()`, `static void Close(Type)`.
template <typename Traits>
class UniqueResource {
 public:
  using T = typename Traits::Type;

  UniqueResource() = default;
  explicit UniqueResource(T value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Invalid(); }
  T release() { return std::exchange(value_, Traits::Invalid()); }
  void reset(T value = Traits::Invalid()) {
    T old = std::exchange(value_, value);
    if (old != Traits::Invalid()) Traits::Close(old);
  }
  // Out-parameter for functions that return a handle through a pointer.
  T* put() {
    reset();
    return &value_;
  }

 private:
  T value_ = Traits::Invalid();
};

#define VARNOKE_HANDLE_TRAITS(Name, HandleType, InvalidValue, CloseCall) \
  struct Name {                                                          \
    using Type = HandleType;                                             \
    static Type Invalid() { return InvalidValue; }                       \
    static void Close(Type h) { CloseCall; }                             \
  }

VARNOKE_HANDLE_TRAITS(HandleTraits, HANDLE, nullptr, ::CloseHandle(h));
VARNOKE_HANDLE_TRAITS(FileTraits, HANDLE, INVALID_HANDLE_VALUE, ::CloseHandle(h));
VARNOKE_HANDLE_TRAITS(KeyTraits, HKEY, nullptr, ::RegCloseKey(h));
VARNOKE_HANDLE_TRAITS(MenuTraits, HMENU, nullptr, ::DestroyMenu(h));
VARNOKE_HANDLE_TRAITS(BitmapTraits, HBITMAP, nullptr, ::DeleteObject(h));
VARNOKE_HANDLE_TRAITS(FontTraits, HFONT, nullptr, ::DeleteObject(h));
VARNOKE_HANDLE_TRAITS(MemoryDCTraits, HDC, nullptr, ::DeleteDC(h));
VARNOKE_HANDLE_TRAITS(IconTraits, HICON, nullptr, ::DestroyIcon(h));
VARNOKE_HANDLE_TRAITS(CursorTraits, HCURSOR, nullptr, ::DestroyCursor(h));
VARNOKE_HANDLE_TRAITS(LibraryTraits, HMODULE, nullptr, ::FreeLibrary(h));
VARNOKE_HANDLE_TRAITS(HeapBlockTraits, void*, nullptr, ::HeapFree(::GetProcessHeap(), 0, h));
VARNOKE_HANDLE_TRAITS(CoTaskMemTraits, void*, nullptr, ::CoTaskMemFree(h));
#undef VARNOKE_HANDLE_TRAITS

// A COM interface reference: Release on every path.
template <typename Interface>
struct ComTraits {
  using Type = Interface*;
  static Type Invalid() { return nullptr; }
  static void Close(Type p) { p->Release(); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFile = UniqueResource<FileTraits>;
using UniqueKey = UniqueResource<KeyTraits>;
using UniqueMenu = UniqueResource<MenuTraits>;
using UniqueBitmap = UniqueResource<BitmapTraits>;
using UniqueFont = UniqueResource<FontTraits>;
using UniqueMemoryDC = UniqueResource<MemoryDCTraits>;
using UniqueIcon = UniqueResource<IconTraits>;
using UniqueCursor = UniqueResource<CursorTraits>;
using UniqueLibrary = UniqueResource<LibraryTraits>;
using UniqueHeapBlock = UniqueResource<HeapBlockTraits>;
using UniqueCoTaskMem = UniqueResource<CoTaskMemTraits>;
template <typename Interface>
using UniqueCom = UniqueResource<ComTraits<Interface>>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class SelectionScope {
 public:
  SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;
  ~SelectionScope() {
    if (previous_) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
