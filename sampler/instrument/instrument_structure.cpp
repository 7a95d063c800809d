// SPDX-License-Identifier: GPL-3.0-or-later
#include "instrument/instrument_structure.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "engine/takes/sample_paths.h"

namespace ntr::instrument {

namespace fs = std::filesystem;

namespace {

struct Coverage {
  std::set<int> keys;
  std::set<int> velocities;
  void Add(int loKey, int hiKey, int loVelocity, int hiVelocity) {
    for (int key = loKey; key <= hiKey; ++key) keys.insert(key);
    for (int velocity = loVelocity; velocity <= hiVelocity; ++velocity) velocities.insert(velocity);
  }
};

int Number(const std::map<std::string, std::string>& values, const std::string& name, int otherwise) {
  const auto found = values.find(name);
  if (found == values.end()) return otherwise;
  try {
    return std::stoi(found->second);
  } catch (const std::exception&) {
    return otherwise;
  }
}

std::string Unescaped(std::string text) {
  for (const auto& [entity, character] : {std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"}, std::pair{"&quot;", "\""},
                                          std::pair{"&apos;", "'"}, std::pair{"&amp;", "&"}}) {
    for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
      text.replace(at, std::string(entity).size(), character);
    }
  }
  return text;
}

// The regions of an SFZ file: "key=value" words, the sample's path running to the end of the line.
std::vector<std::map<std::string, std::string>> SfzRegions(const std::string& text) {
  std::vector<std::map<std::string, std::string>> regions;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("<region>", 0) != 0) continue;
    std::map<std::string, std::string> values;
    const std::size_t sample = line.find(" sample=");
    if (sample != std::string::npos) values["sample"] = line.substr(sample + 8);
    std::istringstream words(line.substr(8, sample == std::string::npos ? std::string::npos : sample - 8));
    for (std::string word; words >> word;) {
      const std::size_t equals = word.find('=');
      if (equals != std::string::npos) values[word.substr(0, equals)] = word.substr(equals + 1);
    }
    regions.push_back(values);
  }
  return regions;
}

// The <sample .../> elements of a DecentSampler preset, with their attributes.
std::vector<std::map<std::string, std::string>> DspresetSamples(const std::string& text) {
  std::vector<std::map<std::string, std::string>> samples;
  for (std::size_t at = text.find("<sample "); at != std::string::npos; at = text.find("<sample ", at + 1)) {
    const std::string element = text.substr(at, text.find("/>", at) - at);
    std::map<std::string, std::string> values;
    for (std::size_t quote = element.find("=\""); quote != std::string::npos; quote = element.find("=\"", quote + 2)) {
      const std::size_t nameStart = element.rfind(' ', quote) + 1;
      const std::size_t end = element.find('"', quote + 2);
      values[element.substr(nameStart, quote - nameStart)] = Unescaped(element.substr(quote + 2, end - quote - 2));
      quote = end;
    }
    samples.push_back(values);
  }
  return samples;
}

void Compare(const std::string& file, const Coverage& found, const Coverage& expected,
             std::vector<std::string>& problems) {
  if (found.keys != expected.keys) problems.push_back(file + ": its regions cover other keys than the SoundFont's");
  if (found.velocities != expected.velocities) {
    problems.push_back(file + ": its regions cover other velocities than the SoundFont's");
  }
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

std::vector<std::string> CheckStructure(const std::string& instrumentFolder, const std::string& stem,
                                        const std::vector<Region>& regions) {
  const fs::path folder = PathFromUtf8(instrumentFolder);
  Coverage expected;
  for (const Region& region : regions) expected.Add(region.loKey, region.hiKey, region.loVelocity, region.hiVelocity);

  std::vector<std::string> problems;
  const auto sampleMissing = [&](const std::string& file, const std::string& sample) {
    std::error_code error;
    if (sample.empty() || !fs::is_regular_file(folder / PathFromUtf8(sample), error)) {
      problems.push_back(file + ": the sample \"" + sample + "\" does not exist");
    }
  };
  for (const auto& [extension, keys] :
       {std::pair{".sfz", std::pair{"lokey", "hikey"}}, std::pair{".dspreset", std::pair{"loNote", "hiNote"}}}) {
    const std::string file = stem + extension;
    const std::string text = ReadText(folder / PathFromUtf8(file));
    if (text.empty()) {
      problems.push_back(file + ": missing or empty");
      continue;
    }
    const bool sfz = std::string(extension) == ".sfz";
    Coverage found;
    for (const auto& values : sfz ? SfzRegions(text) : DspresetSamples(text)) {
      sampleMissing(file, values.count(sfz ? "sample" : "path") ? values.at(sfz ? "sample" : "path") : "");
      found.Add(Number(values, keys.first, 0), Number(values, keys.second, 127),
                Number(values, sfz ? "lovel" : "loVel", 1), Number(values, sfz ? "hivel" : "hiVel", 127));
    }
    Compare(file, found, expected, problems);
  }
  return problems;
}

}  // namespace ntr::instrument
