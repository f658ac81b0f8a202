// The module's class ids as the platform's GUIDs.
#pragma once
#include <windows.h>

#include "registration/ClassIds.h"

constexpr GUID ToGuid(const ClassId& id) {
  return {id.data1,
          id.data2,
          id.data3,
          {id.data4[0], id.data4[1], id.data4[2], id.data4[3], id.data4[4], id.data4[5], id.data4[6], id.data4[7]}};
}

constexpr CLSID CLSID_CShellExt = ToGuid(kShellExtClassId);
constexpr CLSID CLSID_VarnokeCommand = ToGuid(kCommandClassId);
constexpr GUID LIBID_Varnoke = ToGuid(kTypeLibraryId);
