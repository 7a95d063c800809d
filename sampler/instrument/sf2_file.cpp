// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/sf2_file.h"

#include <glib-object.h>
#include <libinstpatch/libinstpatch.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

#include "engine/takes/sample_paths.h"
#include "instrument/gobject_ref.h"
#include "quendal/atomic_file.h"

namespace ntr::instrument {

namespace {

std::string Message(GError* error, const std::string& what) {
  std::string text = what + (error ? std::string(": ") + error->message : std::string());
  if (error) g_error_free(error);
  return text;
}

// SoundFont names hold at most 20 characters.
std::string Name20(const std::string& text) { return text.substr(0, 20); }

void SetRange(IpatchSF2Zone* zone, guint generator, int low, int high) {
  IpatchSF2GenAmount amount{};
  amount.range.low = static_cast<guint8>(low);
  amount.range.high = static_cast<guint8>(high);
  ipatch_sf2_gen_item_set_amount(IPATCH_SF2_GEN_ITEM(zone), generator, &amount);
}

// The sample's data multiplied by the gain, held in memory from here on (a
// SoundFont's attenuation can only lower a level).
void ApplyGain(IpatchSF2Sample* sample, double gainDb) {
  IpatchSample* source = IPATCH_SAMPLE(sample);
  const guint frames = ipatch_sample_get_size(source, nullptr);
  const int format =
      static_cast<int>(IPATCH_SAMPLE_FLOAT) | static_cast<int>(IPATCH_SAMPLE_MONO) | IPATCH_SAMPLE_ENDIAN_HOST;
  auto* data = static_cast<float*>(g_malloc_n(std::max<guint>(frames, 1), sizeof(float)));
  GError* error = nullptr;
  if (!ipatch_sample_read_transform(source, 0, frames, data, format, IPATCH_SAMPLE_UNITY_CHANNEL_MAP, &error)) {
    g_free(data);
    throw std::runtime_error(Message(error, "a sample could not be read for the gain"));
  }
  const auto factor = static_cast<float>(std::pow(10.0, gainDb / 20.0));
  for (guint i = 0; i < frames; ++i) data[i] *= factor;
  guint rate = 0;
  g_object_get(sample, "sample-rate", &rate, nullptr);
  Ref<IpatchSample> store(ipatch_sample_store_ram_new(data, TRUE));  // owns the data now
  ipatch_sample_set_format(store.get(), format);
  ipatch_sample_set_size(store.get(), frames);
  g_object_set(store.get(), "sample-rate", rate, nullptr);
  Ref<IpatchSampleData> scaled(ipatch_sample_data_new());
  ipatch_sample_data_add(scaled.get(), IPATCH_SAMPLE_STORE(store.get()));
  ipatch_sample_set_sample_data(source, scaled.get());
}

// The take as one sample (mono) or a linked left and right pair, added to the SoundFont.
std::vector<IpatchSF2Sample*> AddSamples(IpatchSF2* soundFont, const Region& region, const std::string& tag) {
  Ref<IpatchSndFile> file(ipatch_snd_file_new());
  ipatch_file_set_name(IPATCH_FILE(file.get()), region.take->path.c_str());
  GError* error = nullptr;
  GList* converted = ipatch_convert_object_to_type_multi_list(G_OBJECT(file.get()), IPATCH_TYPE_SF2_SAMPLE, &error);
  if (!converted) throw std::runtime_error(Message(error, "the take " + region.take->file + " cannot be read"));

  std::vector<IpatchSF2Sample*> samples;
  const std::string base = tag + "_" + region.take->name.noteName +
                           (region.take->name.velocity ? "_V" + std::to_string(*region.take->name.velocity) : "");
  const char* sides[] = {"", "_L", "_R"};
  const bool stereo = g_list_length(converted) == 2;
  int side = stereo ? 1 : 0;
  for (GList* item = converted; item; item = item->next, ++side) {
    IpatchSF2Sample* sample = IPATCH_SF2_SAMPLE(item->data);
    const std::string name = Name20(base + sides[side]);
    // The sample's pitch correction: the take's tuning reversed, in whole cents.
    g_object_set(sample, "name", name.c_str(), "root-note", region.take->key, "fine-tune",
                 static_cast<int>(std::lround(region.TuneCents())), nullptr);
    if (region.gainDb != 0.0) ApplyGain(sample, region.gainDb);
    if (region.take->loop) {
      g_object_set(sample, "loop-start", static_cast<guint>(region.take->loop->start), "loop-end",
                   static_cast<guint>(region.take->loop->end + 1), nullptr);
    }
    ipatch_container_append(IPATCH_CONTAINER(soundFont), IPATCH_ITEM(sample));
    samples.push_back(sample);
  }
  g_list_free_full(converted, g_object_unref);  // the SoundFont holds them now
  return samples;
}

void SetAmount(IpatchSF2Zone* zone, guint generator, int value) {
  IpatchSF2GenAmount amount{};
  amount.sword = static_cast<gint16>(value);
  ipatch_sf2_gen_item_set_amount(IPATCH_SF2_GEN_ITEM(zone), generator, &amount);
}

// Seconds as timecents, within what the volume envelope's release takes.
int Timecents(double seconds) {
  return static_cast<int>(std::clamp(std::lround(1200.0 * std::log2(std::max(seconds, 0.001))), -12000L, 8000L));
}

void AddProgram(IpatchSF2* soundFont, const Sf2Program& program, std::vector<std::string>& leftOut) {
  Ref<IpatchSF2Inst> instrument(ipatch_sf2_inst_new());
  ipatch_sf2_inst_set_name(instrument.get(), Name20(program.name).c_str());
  ipatch_container_append(IPATCH_CONTAINER(soundFont), IPATCH_ITEM(instrument.get()));
  for (const Region& region : program.regions) {
    if (region.round != 1) continue;
    std::vector<IpatchSF2Sample*> samples;
    try {
      samples = AddSamples(soundFont, region, program.tag);
    } catch (const std::runtime_error& error) {
      leftOut.push_back(std::string(error.what()) + "; left out of the SoundFont");
      continue;
    }
    for (std::size_t i = 0; i < samples.size(); ++i) {
      Ref<IpatchSF2IZone> zone(ipatch_sf2_izone_new());
      ipatch_sf2_zone_set_link_item(IPATCH_SF2_ZONE(zone.get()), IPATCH_ITEM(samples[i]));
      SetRange(IPATCH_SF2_ZONE(zone.get()), IPATCH_SF2_GEN_NOTE_RANGE, region.loKey, region.hiKey);
      SetRange(IPATCH_SF2_ZONE(zone.get()), IPATCH_SF2_GEN_VELOCITY_RANGE, region.loVelocity, region.hiVelocity);
      SetAmount(IPATCH_SF2_ZONE(zone.get()), IPATCH_SF2_GEN_VOL_ENV_RELEASE,
                Timecents(ReleaseSeconds(region, program.mode)));
      SetAmount(
          IPATCH_SF2_ZONE(zone.get()), IPATCH_SF2_GEN_SAMPLE_MODES,
          Loops(region, program.mode) ? IPATCH_SF2_GEN_SAMPLE_MODE_LOOP_RELEASE : IPATCH_SF2_GEN_SAMPLE_MODE_NOLOOP);
      if (samples.size() == 2) {  // a stereo pair: left and right, each panned to its side
        IpatchSF2GenAmount pan{};
        pan.sword = i == 0 ? -500 : 500;
        ipatch_sf2_gen_item_set_amount(IPATCH_SF2_GEN_ITEM(zone.get()), IPATCH_SF2_GEN_PAN, &pan);
      }
      ipatch_container_append(IPATCH_CONTAINER(instrument.get()), IPATCH_ITEM(zone.get()));
    }
  }

  Ref<IpatchSF2Preset> preset(ipatch_sf2_preset_new());
  ipatch_sf2_preset_set_name(preset.get(), Name20(program.name).c_str());
  ipatch_sf2_preset_set_midi_locale(preset.get(), 0, program.preset);
  ipatch_container_append(IPATCH_CONTAINER(soundFont), IPATCH_ITEM(preset.get()));
  ipatch_sf2_preset_new_zone(preset.get(), instrument.get());
}

void Save(IpatchSF2* soundFont, const std::string& path) {
  Ref<IpatchSF2File> file(ipatch_sf2_file_new());
  GError* error = nullptr;
  IpatchFileHandle* handle = ipatch_file_open(IPATCH_FILE(file.get()), path.c_str(), "w", &error);
  if (!handle) throw std::runtime_error(Message(error, "cannot write " + path));
  Ref<IpatchSF2Writer> writer(ipatch_sf2_writer_new(handle, soundFont));  // closes the handle when done
  if (!ipatch_sf2_writer_save(writer.get(), &error)) throw std::runtime_error(Message(error, "cannot write " + path));
}

}  // namespace

std::vector<std::string> WriteSf2File(const std::string& path, const std::string& name,
                                      const std::vector<Sf2Program>& programs) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { ipatch_init(); });

  Ref<IpatchSF2> soundFont(ipatch_sf2_new());
  ipatch_sf2_set_info(soundFont.get(), IPATCH_SF2_NAME, name.c_str());
  ipatch_sf2_set_info(soundFont.get(), IPATCH_SF2_SOFTWARE, "NTR");
  std::vector<std::string> leftOut;
  for (const Sf2Program& program : programs) AddProgram(soundFont.get(), program, leftOut);

  quendal::WriteFileAtomically(PathFromUtf8(path), [&soundFont](const std::filesystem::path& temporary) {
    Save(soundFont.get(), Utf8FromPath(temporary));
  });
  return leftOut;
}

}  // namespace ntr::instrument
