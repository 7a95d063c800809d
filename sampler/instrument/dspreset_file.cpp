// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/dspreset_file.h"

#include <cmath>
#include <cstdio>

namespace ntr::instrument {

namespace {

std::string Escaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

// A comment may not hold "--".
std::string CommentText(std::string text) {
  for (std::size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at)) text.replace(at, 2, "- ");
  return text;
}

std::string Decimals(double value, int places) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", places, value);
  return text;
}

std::string Attribute(const char* name, int value) { return std::string(" ") + name + "=\"" + std::to_string(value) + "\""; }

std::string Seconds(const char* name, double seconds) {
  char text[64];
  std::snprintf(text, sizeof text, " %s=\"%.3f\"", name, seconds);
  return text;
}

}  // namespace

std::string DspresetText(const std::string& title, const std::vector<Region>& regions, PlayMode mode) {
  const int turns = MostRounds(regions);
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- " + CommentText(title) +
                     ". Made by NTR from its takes; the sample paths are relative to this file. -->\n"
                     "<DecentSampler minVersion=\"1.0.0\">\n  <groups>\n";
  for (int turn = 1; turn <= turns; ++turn) {
    text += "    <group name=\"" + (turns > 1 ? "Round " + std::to_string(turn) : std::string("Takes")) + "\"";
    if (turns > 1) text += " seqMode=\"round_robin\"" + Attribute("seqPosition", turn);
    text += ">\n";
    for (const Region& region : regions) {
      if (region.round != turn) continue;
      text += "      <sample path=\"" + Escaped(region.take->file) + "\"" + Attribute("rootNote", region.take->key) +
              Attribute("loNote", region.loKey) + Attribute("hiNote", region.hiKey) +
              Attribute("loVel", region.loVelocity) + Attribute("hiVel", region.hiVelocity);
      if (turns > 1) text += Attribute("seqLength", region.rounds) + Attribute("seqPosition", region.round);
      // DecentSampler tunes in semitones and takes its volume in dB with the unit.
      if (std::lround(region.TuneCents()) != 0) text += " tuning=\"" + Decimals(region.TuneCents() / 100.0, 2) + "\"";
      if (region.gainDb != 0.0) text += " volume=\"" + Decimals(region.gainDb, 2) + "dB\"";
      text += Seconds("release", ReleaseSeconds(region, mode));
      if (Loops(region, mode)) {
        text += " loopEnabled=\"true\"" + Attribute("loopStart", region.take->loop->start) +
                Attribute("loopEnd", region.take->loop->end);
      } else if (region.take->loop) {
        text += " loopEnabled=\"false\"";
      }
      text += "/>\n";
    }
    text += "    </group>\n";
  }
  text += "  </groups>\n</DecentSampler>\n";
  return text;
}

}  // namespace ntr::instrument
