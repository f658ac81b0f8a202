// Just enough of <windows.h> for server/Guids.h in a program that runs on
// the build machine: the class ids then have one definition for the module
// and for the installer.
#pragma once
#include <cstdint>

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using CLSID = GUID;
