#include "server/Registration.h"

HRESULT RegisterModule(bool) { return E_NOTIMPL; }
