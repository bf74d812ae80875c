// The value of an AAX parameter is written by the host's parameter updates and read by the render on
// the audio thread, with no lock between them. Built with ThreadSanitizer: a plain value makes it
// report a data race, and the program fail.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "aax/aaxcparameter.h"

TEST(AAX_CParameterValue, HostUpdatesAndTheRenderMeetWithoutARace) {
  AAX_CParameter<double> gain("1", AAX_CString("Gain"), 0.0, AAX_CIFxTaperDelegate<double>(0.0, 10.0, 1.0),
                              AAX_CNumberDisplayDelegate<double, 2, 0>(), true);
  AAX_CParameter<bool> bypass("2", AAX_CString("Bypass"), false, AAX_CBinaryTaperDelegate<bool>(),
                              AAX_CBinaryDisplayDelegate<bool>("off", "on"), true);
  std::atomic<bool> go{false};
  std::thread host([&] {
    while (!go.load()) {
    }
    for (int i = 0; i < 20000; ++i) {
      gain.ApplyNormalizedValue((i % 11) / 10.0);
      bypass.ApplyNormalizedValue(i % 2);
    }
  });
  go = true;
  for (int i = 0; i < 20000; ++i) {
    double g = -1.0;
    bool b = false;
    ASSERT_TRUE(gain.ReadDouble(&g));
    ASSERT_TRUE(bypass.ReadBool(&b));
    // Whatever the interleaving, one of the values the host wrote, 0 to 10.
    ASSERT_GE(g, 0.0);
    ASSERT_LE(g, 10.0);
  }
  host.join();
  // The last update: 19999 % 11 = 1, a tenth of 0..10.
  double last = -1.0;
  ASSERT_TRUE(gain.ReadDouble(&last));
  EXPECT_NEAR(last, 1.0, 1e-12);
}
