// The reference-counted base: counts, deletion, the live-object count and the unknown's query.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "aax/acfunknown.h"

namespace {

struct ITestFace : IACFUnknown {
  virtual int32_t Ping() = 0;

protected:
  ~ITestFace() = default;
};

// An object with one host-facing interface, as the effect and GUI objects are built.
class TestObject : public ITestFace, public CACFUnknown {
public:
  explicit TestObject(std::vector<std::string>* events = nullptr) : mEvents(events) {}
  ~TestObject() override {
    if (mEvents) mEvents->push_back("destroyed");
  }
  ACFResult QueryInterface(const AcfID& iid, void** out) override { return OuterQueryInterface(iid, out); }
  uint32_t AddRef() override { return OuterAddRef(); }
  uint32_t Release() override { return OuterRelease(); }
  int32_t Ping() override { return 7; }
  void OnLastRelease() override {
    if (mEvents) mEvents->push_back("last release");
  }

private:
  std::vector<std::string>* mEvents;
};

class FailingObject : public CACFUnknown {
public:
  struct Failure {};
  FailingObject() { throw Failure{}; }
};

constexpr AcfID kSomeOtherId = MakeAcfID(0x12345678, 0x9ABC, 0xDEF0, 0x1122, 0x334455667788);

}  // namespace

TEST(CACFUnknown, NewObjectCountsZeroAndRaisesTheLiveCount) {
  const int32_t before = gLiveObjectCount.load();
  std::vector<std::string> events;
  TestObject* object = new TestObject(&events);
  EXPECT_EQ(object->ReferenceCount(), 0);
  EXPECT_EQ(gLiveObjectCount.load(), before + 1);
  EXPECT_EQ(object->AddRef(), 1u);
  EXPECT_EQ(object->AddRef(), 2u);
  EXPECT_EQ(object->Release(), 1u);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(object->Release(), 0u);
  // Deleted exactly once, after the last-release hook.
  EXPECT_EQ(events, (std::vector<std::string>{"last release", "destroyed"}));
  EXPECT_EQ(gLiveObjectCount.load(), before);
}

TEST(CACFUnknown, FailedDerivedConstructionRestoresTheLiveCount) {
  const int32_t before = gLiveObjectCount.load();
  EXPECT_THROW(new FailingObject, FailingObject::Failure);
  EXPECT_EQ(gLiveObjectCount.load(), before);
}

TEST(CACFUnknown, EightThreadsOfAddRefReleasePairsLeaveTheCountsUnchanged) {
  const int32_t before = gLiveObjectCount.load();
  TestObject* object = new TestObject;
  object->AddRef();
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([object] {
      for (int i = 0; i < 10000; ++i) {
        object->AddRef();
        object->Release();
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(object->ReferenceCount(), 1);
  EXPECT_EQ(gLiveObjectCount.load(), before + 1);
  EXPECT_EQ(object->Release(), 0u);
  EXPECT_EQ(gLiveObjectCount.load(), before);
}

TEST(CACFUnknown, QueryForTheUnknownGivesTheInnerUnknownWithOneMoreReference) {
  TestObject* object = new TestObject;
  object->AddRef();
  void* out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(object->QueryInterface(AcfIds::kUnknown, &out), 0);
  EXPECT_EQ(out, static_cast<void*>(object->InnerUnknown()));
  EXPECT_EQ(object->ReferenceCount(), 2);
  // The inner unknown counts on the same object.
  EXPECT_EQ(static_cast<IACFUnknown*>(out)->Release(), 1u);
  EXPECT_EQ(object->Release(), 0u);
}

TEST(CACFUnknown, QueryForAnUnknownIdentifierAnswersNoInterfaceAndNull) {
  TestObject* object = new TestObject;
  object->AddRef();
  void* out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(object->QueryInterface(kSomeOtherId, &out), static_cast<int32_t>(0x80000004));
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(object->ReferenceCount(), 1);
  object->Release();
}

TEST(CACFUnknown, QueryWithoutOutPointerFailsAndAddsNoReference) {
  TestObject* object = new TestObject;
  object->AddRef();
  EXPECT_NE(object->QueryInterface(AcfIds::kUnknown, nullptr), 0);
  EXPECT_NE(object->InnerUnknown()->QueryInterface(kSomeOtherId, nullptr), 0);
  EXPECT_EQ(object->ReferenceCount(), 1);
  object->Release();
}
