// Identification of the host from its product name, for hosts that need special treatment.
#pragma once

#include <cstdint>

typedef int32_t HostCode;

enum : int32_t {
  kHostNotAsked = -1,
  kHostUnrecognised = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVstManLib = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSawStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigital = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostPresonus = 26,
  kHostVst3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMpt = 30,
  kHostWaveLab = 31,
};

// The code of the first table entry whose name occurs in hostName (ASCII letters compared without
// case); 0 when none does or the name is null. Names are looked at up to 255 characters.
HostCode HostCodeFromName(const char* hostName);
