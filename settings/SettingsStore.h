// Loads and saves Settings in the per-user registry key.
#pragma once
#include "settings/Settings.h"

constexpr const char kSettingsKeyPath[] = "Software\\Thandrel\\Varnoke";

class SettingsStore {
 public:
  // Fills every field from the registry, defaults for what is missing or
  // unusable. Creates the (empty) key when it does not exist.
  static void Load(Settings& settings);
  // Writes all ten values; failures are ignored.
  static void Save(const Settings& settings);
};
