// The module's class ids, as numbers and as registry text, without
// <windows.h>: the module, the installer's build tools and the native
// tests share one definition.
#pragma once
#include <cstdint>
#include <string>

struct ClassId {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};

// {5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61}
constexpr ClassId kShellExtClassId = {0x5B1E7C2A, 0x9D34, 0x4F6E, {0xA8, 0x12, 0x3C, 0x7D, 0x0E, 0x4B, 0x9F, 0x61}};
// The Explorer command that Windows 11's top-level menu shows for packaged
// extensions.
// {549D3B83-64E9-4B7E-9F70-D764B10A48A4}
constexpr ClassId kCommandClassId = {0x549D3B83, 0x64E9, 0x4B7E, {0x9F, 0x70, 0xD7, 0x64, 0xB1, 0x0A, 0x48, 0xA4}};
// {0A6F3D52-7C18-4B9E-9E25-D4A1B83C6F07}
constexpr ClassId kTypeLibraryId = {0x0A6F3D52, 0x7C18, 0x4B9E, {0x9E, 0x25, 0xD4, 0xA1, 0xB8, 0x3C, 0x6F, 0x07}};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, as the registry
// and StringFromGUID2 write it.
std::string ClassIdText(const ClassId& id);
