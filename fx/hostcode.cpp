#include "fx/hostcode.h"

#include <cstring>

namespace {
struct HostEntry {
  const char* substring;
  HostCode code;
};

// Tested in this order; the first match wins ("live" before "logic", "cubase" before everything).
const HostEntry kHostTable[] = {
    {"cubase", kHostCubase},       {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},       {"cakewalk", kHostCakewalk},
    {"samplitude", kHostSamplitude}, {"fruity", kHostFruity},
    {"live", kHostLive},           {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVstManLib}, {"aulab", kHostAULab},
    {"garageband", kHostGarageBand}, {"forte", kHostForte},
    {"chainer", kHostChainer},     {"audition", kHostAudition},
    {"orion", kHostOrion},         {"sawstudio", kHostSawStudio},
    {"logic", kHostLogic},         {"digital", kHostDigital},
    {"audiomulch", kHostAudioMulch}, {"presonus", kHostPresonus},
    {"vst3plugintesthost", kHostVst3TestHost}, {"protools", kHostProTools},
    {"ardour", kHostArdour},       {"openmpt", kHostOpenMpt},
    {"renoise", kHostRenoise},     {"standalone", kHostStandalone},
    {"wavelab", kHostWaveLab},
};
}  // namespace

HostCode HostCodeFromName(const char* hostName) {
  if (!hostName) return kHostUnrecognised;
  char lower[256];
  int n = 0;
  for (; n < 255 && hostName[n]; ++n) {
    const char c = hostName[n];
    lower[n] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  lower[n] = '\0';
  for (const HostEntry& e : kHostTable) {
    if (std::strstr(lower, e.substring)) return e.code;
  }
  return kHostUnrecognised;
}
