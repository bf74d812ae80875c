// Marks data packets dirty when a parameter changes and posts the dirty ones to the host through the
// controller proxy when coefficients are generated. Nothing in this system registers a packet, so
// both tables stay empty unless a plug-in adds registrations.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "aax/aaxhost.h"
#include "aax/ownedmutex.h"

class AAX_IController;
class AAX_CEffectParameters;

struct PacketRecord {
  int32_t fieldIndex = 0;  // the host port that receives the data
  bool dirty = false;
  uint32_t dataSize = 0;
  std::vector<uint8_t> data;
};

// Decides whether a dirty packet is posted (0) and fills its data.
class PacketHandler {
public:
  virtual ~PacketHandler() = default;
  virtual void Reserved() {}
  virtual int32_t Call(const char* identifier, PacketRecord& packet) = 0;
};

class AAX_CPacketRelay {
public:
  AAX_CPacketRelay();  // makes the mutex; without one the relay runs unlocked
  AAX_CPacketRelay(const AAX_CPacketRelay&) = delete;
  AAX_CPacketRelay& operator=(const AAX_CPacketRelay&) = delete;
  ~AAX_CPacketRelay();

  // Stored by the effect's initialisation.
  void SetController(AAX_IController* controller, AAX_CEffectParameters* owner) {
    mController = controller;
    mOwner = owner;
  }

  // Sets the dirty flag of every packet registered under the identifier; always 0.
  int32_t MarkPacketsDirty(const char* identifier, bool dirty);
  // Offers every dirty packet to its handler and posts those it accepts; the last post's result
  // (0 when nothing was posted, -20004 when the controller holds no host interface).
  int32_t DispatchPackets();

  AAX_COwnedMutex* Mutex() const { return mLock; }

private:
  std::map<int32_t, std::unique_ptr<PacketRecord>> mPackets;  // owned
  // Handlers owned; looked up by the identifier text as it is, so that marking never allocates.
  std::multimap<std::string, std::pair<PacketRecord*, std::unique_ptr<PacketHandler>>, std::less<>> mRegistrations;
  AAX_IController* mController = nullptr;  // not owned
  AAX_CEffectParameters* mOwner = nullptr;  // not owned
  AAX_COwnedMutex* mLock = nullptr;         // owned
};
