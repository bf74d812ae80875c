// The parameter registry, the packet relay and its owned mutex, and the slot layout of the
// host-facing parameter and transport interfaces.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "aax/aaxpacket.h"
#include "aax/aaxproxies.h"
#include "aax/aaxregistry.h"
#include "tests/aax/fakehost.h"
#include "tests/aax/fakeparameter.h"

using namespace fakehost;

TEST(AAX_CParameterRegistry, DuplicateIdentifierKeepsTheFirstAndLeavesTheSecondWithTheCaller) {
  std::vector<std::string> events;
  AAX_CParameterRegistry registry;
  FakeParameter* first = new FakeParameter("5", &events);
  FakeParameter* second = new FakeParameter("5", &events);
  EXPECT_TRUE(registry.AddParameter(first));
  EXPECT_FALSE(registry.AddParameter(second));
  EXPECT_EQ(registry.ParameterCount(), 1);
  EXPECT_EQ(registry.FindParameter("5"), first);
  EXPECT_EQ(second->binds, 0);
  second->Destroy();  // refused: still the caller's
  EXPECT_FALSE(registry.AddParameter(nullptr));
  EXPECT_EQ(registry.ParameterCount(), 1);
}

TEST(AAX_CParameterRegistry, LookUpIsByExactIdentifier) {
  AAX_CParameterRegistry registry;
  FakeParameter* one = new FakeParameter("1", nullptr);
  FakeParameter* ten = new FakeParameter("10", nullptr);
  registry.AddParameter(one);
  registry.AddParameter(ten);
  EXPECT_EQ(registry.FindParameter("1"), one);
  EXPECT_EQ(registry.FindParameter("10"), ten);
  EXPECT_EQ(registry.FindParameter("100"), nullptr);
  EXPECT_EQ(registry.FindParameter(""), nullptr);
  EXPECT_EQ(registry.IndexOfParameter("1"), 0);
  EXPECT_EQ(registry.IndexOfParameter("10"), 1);
  EXPECT_EQ(registry.IndexOfParameter("1x"), -1);
  EXPECT_EQ(registry.ParameterAt(1), ten);
}

TEST(AAX_CParameterRegistry, EmptyIdentifierFindsTheBypassAndNullFindsNothing) {
  AAX_CParameterRegistry registry;
  FakeParameter* bypass = new FakeParameter("", nullptr);
  FakeParameter* first = new FakeParameter("1", nullptr);
  registry.AddParameter(bypass);
  registry.AddParameter(first);
  EXPECT_EQ(registry.FindParameter(""), bypass);
  EXPECT_EQ(registry.IndexOfParameter(""), 0);
  EXPECT_EQ(registry.IndexOfParameter("1"), 1);
  EXPECT_EQ(registry.FindParameter(nullptr), nullptr);
  EXPECT_EQ(registry.IndexOfParameter(nullptr), -1);
}

TEST(AAX_CParameterRegistry, RemoveAllDeletesEachOnceInOrderAndWithdrawsEveryIdentifier) {
  std::vector<std::string> events;
  {
    AAX_CParameterRegistry registry;
    for (const char* id : {"", "1", "2"}) registry.AddParameter(new FakeParameter(id, &events));
    events.clear();
    registry.RemoveAllParameters();
    EXPECT_EQ(events, (std::vector<std::string>{"destroy ", "destroy 1", "destroy 2"}));
    EXPECT_EQ(registry.ParameterCount(), 0);
    for (const char* id : {"", "1", "2"}) {
      EXPECT_EQ(registry.FindParameter(id), nullptr);
      EXPECT_EQ(registry.IndexOfParameter(id), -1);
    }
    // The identifiers are free again.
    EXPECT_TRUE(registry.AddParameter(new FakeParameter("1", &events)));
    events.clear();
  }
  // The registry's end deletes what it still holds.
  EXPECT_EQ(events, (std::vector<std::string>{"destroy 1"}));
}

TEST(AAX_CParameterRegistry, ParametersAreBoundToAConnectedAutomationDelegateOnly) {
  FakeHost host;
  AAX_VAutomationDelegate connected(host.unknown->Unknown());
  AAX_VAutomationDelegate unconnected(nullptr);
  AAX_CParameterRegistry registry;
  registry.SetAutomationDelegate(&connected);
  FakeParameter* bound = new FakeParameter("1", nullptr);
  registry.AddParameter(bound);
  EXPECT_EQ(bound->binds, 1);
  EXPECT_EQ(bound->boundDelegate, &connected);
  // A proxy without host interface counts as no delegate: the value is then applied locally.
  registry.SetAutomationDelegate(&unconnected);
  EXPECT_EQ(registry.AutomationDelegate(), nullptr);
  FakeParameter* local = new FakeParameter("2", nullptr);
  registry.AddParameter(local);
  EXPECT_EQ(local->binds, 1);
  EXPECT_EQ(local->boundDelegate, nullptr);
}

// The host reaches a parameter through its method table: slot 0 deletes, the named slots follow.
TEST(AAX_IParameter, HostSeesTheSlotsFromOneAfterSlotZero) {
  std::vector<std::string> events;
  FakeParameter* p = new FakeParameter("7", &events);
  AAX_IParameter* face = p;
  void* const* vt = *reinterpret_cast<void* const* const*>(face);
  EXPECT_STREQ(reinterpret_cast<const char* (*)(AAX_IParameter*)>(vt[1])(face), "7");
  EXPECT_TRUE(reinterpret_cast<bool (*)(AAX_IParameter*)>(vt[7])(face));              // IsAutomatable
  reinterpret_cast<void (*)(AAX_IParameter*, double)>(vt[11])(face, 0.25);             // SetNormalizedValue
  EXPECT_EQ(reinterpret_cast<double (*)(AAX_IParameter*)>(vt[12])(face), 0.25);        // GetNormalizedValue
  EXPECT_EQ(reinterpret_cast<uint32_t (*)(AAX_IParameter*)>(vt[17])(face), 128u);      // GetNumberOfSteps
  double read = 0;
  EXPECT_TRUE(reinterpret_cast<bool (*)(AAX_IParameter*, double*)>(vt[29])(face, &read));  // ReadDouble
  EXPECT_EQ(read, 0.25);
  int32_t i = 3;
  EXPECT_FALSE(reinterpret_cast<bool (*)(AAX_IParameter*, int32_t*)>(vt[27])(face, &i));  // ReadInt32
  EXPECT_TRUE(reinterpret_cast<bool (*)(AAX_IParameter*, double)>(vt[34])(face, 0.5));    // WriteDouble
  EXPECT_EQ(p->GetNormalizedValue(), 0.5);
  EXPECT_EQ(reinterpret_cast<int32_t (*)(AAX_IParameter*)>(vt[37])(face), 1);             // GetType
  reinterpret_cast<void (*)(AAX_IParameter*, double)>(vt[42])(face, 0.75);                // ApplyNormalizedValue
  EXPECT_EQ(p->GetNormalizedValue(), 0.75);
  reinterpret_cast<void (*)(AAX_IParameter*)>(vt[0])(face);                                // Destroy
  EXPECT_EQ(events, (std::vector<std::string>{"destroy 7"}));
}

// The transport proxy is what the binding hands on as the host transport: slots 1 to 6 after slot 0.
TEST(AAX_ITransport, TransportProxySlotsMatchTheHostTransport) {
  FakeHost host;
  host.transport->tempo = 97.0;
  host.transport->samples = 123456789012;
  AAX_VTransport* proxy = new AAX_VTransport(host.unknown->Unknown());
  AAX_ITransport* face = proxy;
  void* const* vt = *reinterpret_cast<void* const* const*>(face);
  double tempo = 0;
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(AAX_ITransport*, double*)>(vt[1])(face, &tempo), 103);
  EXPECT_EQ(tempo, 97.0);
  int64_t samples = 0;
  EXPECT_EQ(reinterpret_cast<AAX_Result (*)(AAX_ITransport*, int64_t*)>(vt[6])(face, &samples), 108);
  EXPECT_EQ(samples, 123456789012);
  reinterpret_cast<void (*)(AAX_ITransport*)>(vt[0])(face);  // deletes the proxy, releasing its references
  EXPECT_EQ(host.Leaks(), "");
}

TEST(AAX_ITransport, RenderContextNodesAnswerOnTheirSlots) {
  FakeHost host;
  FakeObject* renderTransport = host.NewObject(Kind::RenderTransport, "rendertransport");
  FakeObject* node = host.NewObject(Kind::TransportNode, "transportnode");
  FakeObject* midi = host.NewObject(Kind::MidiNode, "midinode");
  AAX_MidiStream stream{0, nullptr};
  node->transport = renderTransport->As<AAX_ITransport>();
  midi->midiStream = &stream;
  renderTransport->ticks = 1920000;
  AAX_ITransport* transport = node->As<AAX_HostTransportNode>()->GetTransport();
  EXPECT_EQ(transport, renderTransport->As<AAX_ITransport>());
  int64_t ticks = 0;
  transport->GetCurrentTickPosition(&ticks);
  EXPECT_EQ(ticks, 1920000);
  EXPECT_EQ(midi->As<AAX_HostMidiNode>()->GetNodeBuffer(), &stream);
  ASSERT_EQ(host.log.size(), 3u);
  EXPECT_EQ(host.log[0].slot, 3);
  EXPECT_EQ(host.log[1].slot, 4);  // GetCurrentTickPosition, slot 4 of the render transport
  EXPECT_EQ(host.log[2].slot, 1);
}

TEST(AAX_CPacketRelay, EmptyRelayDispatchesNothing) {
  FakeHost host;
  AAX_VController controller(host.unknown->Unknown());
  AAX_CPacketRelay relay;
  relay.SetController(&controller, nullptr);
  host.log.clear();
  EXPECT_EQ(relay.MarkPacketsDirty("1", true), 0);
  EXPECT_EQ(relay.MarkPacketsDirty(nullptr, true), 0);
  EXPECT_EQ(relay.DispatchPackets(), 0);
  EXPECT_TRUE(host.log.empty());
  ASSERT_NE(relay.Mutex(), nullptr);
  EXPECT_EQ(relay.Mutex()->Owner(), 0);
}

TEST(AAX_COwnedMutex, NestedScopeOnTheOwningThreadPassesAndOnlyTheOuterReleases) {
  AAX_COwnedMutex* mutex = AAX_COwnedMutex::Create();
  ASSERT_NE(mutex, nullptr);
  const int32_t self = AAX_COwnedMutex::CurrentThreadId();
  EXPECT_NE(self, 0);
  {
    OwnedMutexScope outer(mutex);
    EXPECT_EQ(mutex->Owner(), self);
    {
      OwnedMutexScope inner(mutex);  // would wait forever if it waited
      EXPECT_EQ(mutex->Owner(), self);
    }
    EXPECT_EQ(mutex->Owner(), self);  // the inner scope did not release
    // A thread that does not own the mutex cannot release it.
    std::thread([mutex] { mutex->Give(); }).join();
    EXPECT_EQ(mutex->Owner(), self);
  }
  EXPECT_EQ(mutex->Owner(), 0);
  // Released exactly once: another thread can take it now.
  int32_t otherOwner = 0;
  std::thread([mutex, &otherOwner] {
    OwnedMutexScope scope(mutex);
    otherOwner = mutex->Owner();
  }).join();
  EXPECT_NE(otherOwner, 0);
  EXPECT_NE(otherOwner, self);
  EXPECT_EQ(mutex->Owner(), 0);
  delete mutex;
}

TEST(AAX_CPacketRelay, OwningThreadCallsTheRelayFromInsideItsLock) {
  AAX_CPacketRelay relay;
  const int32_t self = AAX_COwnedMutex::CurrentThreadId();
  {
    OwnedMutexScope scope(relay.Mutex());
    EXPECT_EQ(relay.MarkPacketsDirty("1", true), 0);
    EXPECT_EQ(relay.DispatchPackets(), 0);
    EXPECT_EQ(relay.Mutex()->Owner(), self);
  }
  EXPECT_EQ(relay.Mutex()->Owner(), 0);
  std::thread([&relay] { EXPECT_EQ(relay.DispatchPackets(), 0); }).join();
}
