#include "erase/EraseVolumes.h"

VolumeFacts EraseVolumes::Find(uint32_t serial) const {
  for (const Volume& volume : volumes_) {
    if (volume.serial == serial) return volume.facts;
  }
  return VolumeFacts();
}

void EraseVolumes::Keep(uint32_t serial, const VolumeFacts& found) {
  if (!found.unitsKnown && !found.flagsKnown) return;
  Volume* record = nullptr;
  for (Volume& volume : volumes_) {
    if (volume.serial == serial) record = &volume;
  }
  if (!record) {
    volumes_.push_back({serial, VolumeFacts()});
    record = &volumes_.back();
  }
  VolumeFacts& kept = record->facts;
  if (found.unitsKnown && !kept.unitsKnown) {
    kept.unitsKnown = true;
    kept.units = found.units;
  }
  if (found.flagsKnown && !kept.flagsKnown) {
    kept.flagsKnown = true;
    kept.writesElsewhere = found.writesElsewhere;
  }
}
