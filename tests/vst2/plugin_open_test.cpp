// The plug-in class on the VST2 binding, created through VSTPluginMain: effOpen re-announces the
// nine parameters, so both engines take the parameter values before the first block.
#include <gtest/gtest.h>

#include <cmath>

#include "plugin/quibelombrelux.h"
#include "tools/vst2host/host.h"

namespace {

TEST(Vst2Plugin, OpenPushesEveryParameterIntoBothEngines) {
  vst2host::Module module;
  ASSERT_EQ(module.Load(""), "");
  vst2host::Instance fx;
  ASSERT_TRUE(fx.Create(module.Entry("VSTPluginMain")));
  auto* plugin = static_cast<QuibelOmbrelux*>(static_cast<IFxVST*>(fx.effect->object));
  EXPECT_EQ(plugin->Engine().mSaturation, 0.0);  // the engine's own start value
  fx.Dispatch(effOpen);
  for (const Ombrelux* e : {&plugin->Engine(), &plugin->CurveEngine()}) {
    EXPECT_DOUBLE_EQ(e->mSaturation, 2.0);  // 10 x normalised 20 % of 0..100
    EXPECT_EQ(e->mTopComp.mRatio, 2.0);
    EXPECT_EQ(e->mMidComp.mRatio, 2.0);
    EXPECT_EQ(e->mBtmComp.mRatio, 2.0);
    EXPECT_NEAR(e->mTopComp.mThreshold, std::pow(10.0, -19.0 / 20.0), 1e-12);
    EXPECT_NEAR(e->mMidComp.mThreshold, std::pow(10.0, -24.0 / 20.0), 1e-12);
    EXPECT_NEAR(e->mBtmComp.mThreshold, std::pow(10.0, -29.0 / 20.0), 1e-12);
  }
}

}  // namespace
