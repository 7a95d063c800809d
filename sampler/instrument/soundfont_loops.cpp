// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/soundfont_loops.h"

#include <glib-object.h>
#include <libinstpatch/libinstpatch.h>

#include <memory>
#include <mutex>
#include <stdexcept>

#include "instrument/gobject_ref.h"

namespace ntr::instrument {

namespace {

IpatchSF2GenAmount Amount(IpatchSF2Zone* zone, guint generator) {
  IpatchSF2GenAmount amount{};
  ipatch_sf2_gen_item_get_amount(IPATCH_SF2_GEN_ITEM(zone), generator, &amount);
  return amount;
}

std::runtime_error ReadError(GError* error, const std::string& path) {
  const std::string text = "cannot read " + path + (error ? std::string(": ") + error->message : std::string());
  if (error) g_error_free(error);
  return std::runtime_error(text);
}

}  // namespace

std::vector<LoopedZone> LoopedZones(const std::string& soundFontPath, const std::string& prefix) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { ipatch_init(); });

  Ref<IpatchSF2File> file(ipatch_sf2_file_new());
  GError* error = nullptr;
  IpatchFileHandle* handle = ipatch_file_open(IPATCH_FILE(file.get()), soundFontPath.c_str(), "r", &error);
  if (!handle) throw ReadError(error, soundFontPath);
  Ref<IpatchSF2Reader> reader(ipatch_sf2_reader_new(handle));  // closes the handle when done
  Ref<IpatchSF2> soundFont(ipatch_sf2_reader_load(reader.get(), &error));
  if (!soundFont) throw ReadError(error, soundFontPath);

  std::vector<LoopedZone> looped;
  Ref<IpatchList> instruments(ipatch_container_get_children(IPATCH_CONTAINER(soundFont.get()), IPATCH_TYPE_SF2_INST));
  for (GList* item = instruments->items; item; item = item->next) {
    gchar* name = nullptr;
    g_object_get(item->data, "name", &name, nullptr);
    const bool wanted = name && std::string(name).rfind(prefix, 0) == 0;
    g_free(name);
    if (!wanted) continue;
    Ref<IpatchList> zones(ipatch_container_get_children(IPATCH_CONTAINER(item->data), IPATCH_TYPE_SF2_IZONE));
    for (GList* z = zones->items; z; z = z->next) {
      auto* zone = IPATCH_SF2_ZONE(z->data);
      if ((Amount(zone, IPATCH_SF2_GEN_SAMPLE_MODES).uword & 1) == 0) continue;
      const IpatchSF2GenAmount keys = Amount(zone, IPATCH_SF2_GEN_NOTE_RANGE);
      const IpatchSF2GenAmount velocities = Amount(zone, IPATCH_SF2_GEN_VELOCITY_RANGE);
      guint size = 0, rate = 0, loopStart = 0;
      int root = 60;
      if (IpatchItem* sample = ipatch_sf2_zone_peek_link_item(zone)) {
        g_object_get(sample, "sample-size", &size, "sample-rate", &rate, "loop-start", &loopStart, "root-note", &root,
                     nullptr);
      }
      if (rate == 0) continue;
      looped.push_back({keys.range.low, keys.range.high, velocities.range.low, velocities.range.high,
                        static_cast<double>(size) / rate, static_cast<double>(loopStart) / rate, root});
    }
  }
  return looped;
}

}  // namespace ntr::instrument
