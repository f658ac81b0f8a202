// Context-menu methods of CShellExt.
#include "server/ShellExt.h"

STDMETHODIMP CShellExt::QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) { return E_NOTIMPL; }
STDMETHODIMP CShellExt::InvokeCommand(CMINVOKECOMMANDINFO*) { return E_NOTIMPL; }
STDMETHODIMP CShellExt::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) { return E_NOTIMPL; }
STDMETHODIMP CShellExt::HandleMenuMsg(UINT, WPARAM, LPARAM) { return E_NOTIMPL; }
STDMETHODIMP CShellExt::HandleMenuMsg2(UINT, WPARAM, LPARAM, LRESULT*) { return E_NOTIMPL; }
