#include "aax/aaxpacket.h"

#include <string_view>

#include "aax/aaxproxies.h"

AAX_CPacketRelay::AAX_CPacketRelay() : mLock(AAX_COwnedMutex::Create()) {}

AAX_CPacketRelay::~AAX_CPacketRelay() {
  {
    OwnedMutexScope scope(mLock);
    mPackets.clear();
    mRegistrations.clear();
  }
  delete mLock;
}

int32_t AAX_CPacketRelay::MarkPacketsDirty(const char* identifier, bool dirty) {
  OwnedMutexScope scope(mLock);
  if (!identifier) return 0;
  auto range = mRegistrations.equal_range(std::string_view(identifier));
  for (auto it = range.first; it != range.second; ++it)
    if (it->second.first) it->second.first->dirty = dirty;
  return 0;
}

int32_t AAX_CPacketRelay::DispatchPackets() {
  OwnedMutexScope scope(mLock);
  int32_t result = 0;
  for (auto& registration : mRegistrations) {
    PacketRecord* packet = registration.second.first;
    PacketHandler* handler = registration.second.second.get();
    if (!packet || !packet->dirty) continue;
    if (handler && handler->Call(registration.first.c_str(), *packet) == 0) {
      // Never post more than the buffer holds.
      const uint32_t size = packet->dataSize <= packet->data.size() ? packet->dataSize
                                                                     : static_cast<uint32_t>(packet->data.size());
      result = mController ? mController->PostPacket(packet->fieldIndex, packet->data.data(), size)
                           : kAAXNoHostObject;
    }
    packet->dirty = false;
  }
  return result;
}
