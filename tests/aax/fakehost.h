// A fake AAX host for the AAX tests: the host unknown with its component factory, the objects the
// factory creates (collection, effect and component descriptors, property maps, host services), the
// queried services (controller, automation, transport, view container) and the render context's
// nodes and transport. Each fake object's method table is an array built here slot by slot from the
// host's slot numbers, not from the declarations in aax/aaxhost.h, so a call that the library makes
// through a wrong slot lands on the wrong entry and shows in the log. Every call is logged with its
// slot and arguments (queries as slot 0 with the identifier, add-reference and release as slots 1
// and 2 with the new count); reference counts are kept per object; each object can refuse its primary or
// secondary identifier.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "aax/aaxhost.h"

namespace fakehost {

// One logged argument, rendered: integers in decimal, reals as "d:<value>", texts as "s:<text>",
// pointers as "p:<hex>", identifiers as "id:<registry form>", points as "pt:<vertical>,<horizontal>".
std::string Render(int64_t v);
std::string Render(double v);
std::string RenderText(const char* s);
std::string RenderPointer(const void* p);
std::string RenderId(const AcfID& id);
std::string RenderPoint(const AAX_Point& p);

struct Call {
  std::string object;  // the fake object's name
  int slot;
  std::vector<std::string> args;
};

enum class Kind {
  Unknown,
  Factory,
  Collection,
  EffectDescriptor,
  ComponentDescriptor,
  PropertyMap,
  HostServices,
  Controller,
  Transport,
  Automation,
  ViewContainer,
  RenderTransport,  // the AAX_ITransport a transport node hands out
  MidiNode,
  TransportNode,
};

class FakeHost;
class FakeObject;

// What the library holds: the first word is the method table.
struct RawObject {
  const void* const* vtbl;
  FakeObject* owner;
};

class FakeObject {
public:
  FakeObject(FakeHost* host, Kind kind, std::string name);
  FakeObject(const FakeObject&) = delete;
  FakeObject& operator=(const FakeObject&) = delete;

  template <typename T>
  T* As() {
    return reinterpret_cast<T*>(&mRaw);
  }
  IACFUnknown* Unknown() { return As<IACFUnknown>(); }
  int Refs() const { return mRefs.load(); }

  FakeHost* host;
  Kind kind;
  std::string name;
  bool refusePrimary = false;
  bool refuseSecondary = false;
  bool overReleased = false;
  // Slots without an entry in `results` answer 0 instead of 100 + slot.
  bool succeed = false;
  // Further identifiers this object answers with another object (the host unknown answers the
  // factory and the services this way). A null object with the factory identifier answers success
  // with a null pointer.
  std::vector<std::pair<AcfID, FakeObject*>> answers;
  // Identifiers this object passes on to an object of the library (the query is logged here, the
  // answer and its reference are the library object's).
  std::vector<std::pair<AcfID, IACFUnknown*>> forwards;
  // Result of a slot; by default 100 + slot (true for operations that answer a bool).
  std::map<int, int64_t> results;
  // Property map contents.
  std::map<AAX_PropertyId, AAX_PropertyValue> properties;
  // Values the controller, the transports and the nodes hand out.
  float sampleRate = 48000.0f;
  AAX_StemFormat inputStem = 0x00010002, outputStem = 0x00010002;
  double tempo = 120.0;
  int32_t meterNumerator = 4, meterDenominator = 4;
  bool playing = false, looping = false;
  int64_t ticks = 0, loopStart = 0, loopEnd = 0, samples = 0;
  void* nativeView = nullptr;
  AAX_ITransport* transport = nullptr;      // handed out by a transport node
  AAX_MidiStream* midiStream = nullptr;     // handed out by a MIDI node
  // Runs with the slot number after each logged call: a host that does something of its own from
  // inside a call (renders a block, say).
  std::function<void(int slot)> onCall;

  // Used by the slot functions.
  std::atomic<int> mRefs{0};
  int64_t Result(int slot) const;
  void Log(int slot, std::vector<std::string> args);

private:
  std::vector<const void*> mTable;  // offset to top, type information, then the slots
  RawObject mRaw;
};

class FakeHost {
public:
  // The host unknown answers the component factory, the controller (both versions), the transport
  // (both versions) and the automation delegate; a separate unknown answers the view container.
  FakeHost();
  ~FakeHost();

  FakeObject* NewObject(Kind kind, const std::string& name);
  // Objects the factory created, in order, of one kind.
  std::vector<FakeObject*> Created(Kind kind) const;
  // The factory query answers success with a null factory.
  void SetNullFactory();
  // Objects of this kind that the factory creates from now on refuse these identifiers.
  void RefuseOnCreate(Kind kind, bool primary, bool secondary);
  // Objects the factory creates from now on answer 0 from slots without a set result.
  bool createSucceeding = false;
  // Results that objects of a kind get when the factory creates them (kind -> slot -> result).
  std::map<Kind, std::map<int, int64_t>> createResults;
  bool RefusedOnCreate(Kind kind, bool secondary) const;
  // Every object's count at 0 and none released below 0; otherwise names the offenders.
  std::string Leaks() const;
  std::vector<Call> CallsTo(const std::string& object) const;

  std::vector<Call> log;
  FakeObject* unknown;
  FakeObject* factory;
  FakeObject* controller;
  FakeObject* transport;
  FakeObject* automation;
  FakeObject* viewUnknown;  // what the host hands when it opens a view
  FakeObject* viewContainer;

private:
  std::vector<std::unique_ptr<FakeObject>> mObjects;
  std::map<int, std::pair<bool, bool>> mRefuseOnCreate;
  std::map<int, int> mCreatedCount;
};

}  // namespace fakehost
