#include "aax/aaxparameter.h"

#include <mutex>
#include <set>

namespace aaxlive {
namespace {

struct LiveSets {
  std::mutex lock;
  std::set<const void*> objects[2];
};

// Made by the first delegate's construction, so it outlives every delegate with static storage.
LiveSets& Sets() {
  static LiveSets sets;
  return sets;
}

}  // namespace

void Enter(int kind, const void* object) {
  LiveSets& sets = Sets();
  std::lock_guard<std::mutex> guard(sets.lock);
  sets.objects[kind].insert(object);
}

void Leave(int kind, const void* object) {
  LiveSets& sets = Sets();
  std::lock_guard<std::mutex> guard(sets.lock);
  sets.objects[kind].erase(object);
}

bool Contains(int kind, const void* object) {
  if (!object) return false;
  LiveSets& sets = Sets();
  std::lock_guard<std::mutex> guard(sets.lock);
  return sets.objects[kind].count(object) != 0;
}

}  // namespace aaxlive
