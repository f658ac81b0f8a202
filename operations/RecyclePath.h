// Hands one file or folder to the shell's recycling bin.
#pragma once
#include <cstdint>

// 1 when the shell moved the item to the recycling bin, else 0. Asks no
// question and shows no progress.
int32_t RecyclePath(const char* path);
