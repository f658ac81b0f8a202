// CShellExt: the context-menu handler for folders.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "menu/FolderMenu.h"
#include "settings/SelectedFolders.h"
#include "settings/Settings.h"

class CShellExt : public IShellExtInit, public IContextMenu3, public IProvideClassInfo {
 public:
  // With an outer unknown, IUnknown calls go to it (aggregation).
  explicit CShellExt(IUnknown* outer = nullptr);
  virtual ~CShellExt();
  CShellExt(const CShellExt&) = delete;
  CShellExt& operator=(const CShellExt&) = delete;

  // IUnknown (delegating when aggregated)
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // The object's own IUnknown behaviour, used by the aggregation wrapper.
  HRESULT InternalQueryInterface(REFIID iid, void** out);

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progIdKey) override;

  // IContextMenu, IContextMenu2, IContextMenu3 (ShellExtMenu.cpp)
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT lastId, UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, CHAR* buffer, UINT size) override;
  STDMETHODIMP HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) override;
  STDMETHODIMP HandleMenuMsg2(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  // IProvideClassInfo
  STDMETHODIMP GetClassInfo(ITypeInfo** typeInfo) override;

  // Commands of the folder menu; each runs synchronously.
  void RunDosBox();
  void RunDeleteCommand(bool shiftDown);

  Settings& settings() { return settings_; }
  const SelectedFolders& folders() const { return folders_; }
  FolderMenu& menu() { return menu_; }

 private:
  LONG refCount_ = 0;
  IUnknown* outer_;
  Settings settings_;
  SelectedFolders folders_;
  FolderMenu menu_;
};

// Creates a CShellExt, aggregated when outer is given, and hands out iid.
HRESULT CreateShellExt(IUnknown* outer, REFIID iid, void** out);
