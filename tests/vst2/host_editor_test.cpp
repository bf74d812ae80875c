// The VST2 binding talking to the host through its callback, the editor opcodes with an attached
// graphics object, events, and the chunk paths only visible from inside.
#include <cstring>

#include "tests/vst2/vst2_fixture.h"

namespace vst2test {
namespace {

TEST(Vst2Host, ParameterGestureAndDisplayRequests) {
  Bench b;
  b.fx->BeginInformHostOfParamChange(2);
  b.fx->InformHostOfParamChange(2, 0.25);
  b.fx->EndInformHostOfParamChange(2);
  b.fx->NotifyHostPresetChanged();
  const std::vector<vst2host::HostCall> calls = b.host.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(calls[0].index, 2);
  EXPECT_EQ(calls[1].opcode, audioMasterAutomate);
  EXPECT_EQ(calls[1].index, 2);
  EXPECT_EQ(calls[1].opt, 0.25f);
  EXPECT_EQ(calls[2].opcode, audioMasterEndEdit);
  EXPECT_EQ(calls[3].opcode, audioMasterUpdateDisplay);
}

TEST(Vst2Host, TransportFromTheTimeRecord) {
  Bench b;
  VstTimeInfo& t = b.host.time;
  t.samplePos = 1000.5;
  t.tempo = 120.0;
  t.ppqPos = 4.0;
  t.barStartPos = 3.0;
  t.cycleStartPos = 1.0;
  t.cycleEndPos = 9.0;
  t.timeSigNumerator = 7;
  t.timeSigDenominator = 8;
  t.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid | kVstTransportPlaying;
  EXPECT_EQ(b.fx->HostSamplePosition(), 1001);
  EXPECT_EQ(b.fx->HostTempo(), 120.0);
  int num = -1, den = -1;
  b.fx->HostTimeSignature(&num, &den);
  EXPECT_EQ(num, 7);
  EXPECT_EQ(den, 8);
  ITransportInfo info{};
  info.mBarStartQuarterNotes = -1.0;
  b.fx->FillHostTimeInfo(&info);
  EXPECT_EQ(info.mSamplePosition, 1000.5);
  EXPECT_EQ(info.mQuarterNotePosition, 4.0);
  EXPECT_EQ(info.mBeatsPerMinute, 120.0);
  EXPECT_EQ(info.mBarStartQuarterNotes, -1.0);  // bars not valid: left alone
  EXPECT_EQ(info.mMeterNumerator, 7);
  EXPECT_TRUE(info.mIsPlaying);
  EXPECT_FALSE(info.mIsLooping);
  EXPECT_EQ(b.host.CallsOf(audioMasterGetTime).back().value, 0x3E00);

  t.flags = 0;
  t.samplePos = -3.0;
  EXPECT_EQ(b.fx->HostSamplePosition(), 0);
  EXPECT_EQ(b.fx->HostTempo(), 0.0);
  b.fx->HostTimeSignature(&num, &den);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);
  b.host.answerTime = false;
  EXPECT_EQ(b.fx->HostSamplePosition(), 0);
  b.host.processLevel = kVstProcessLevelOffline;
  EXPECT_TRUE(b.fx->HostRendersOffline());
}

TEST(Vst2Host, EventsBothWays) {
  Options o;
  o.takesMidi = true;
  Bench b(o);
  // In: one MIDI event, one sysex block, a null entry, a sysex block with a negative size.
  VstMidiEvent note{};
  note.type = kVstMidiType;
  note.deltaFrames = 12;
  note.midiData[0] = static_cast<char>(0x90);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  char dump[] = {static_cast<char>(0xF0), 1, 2, static_cast<char>(0xF7)};
  VstMidiSysexEvent sysex{};
  sysex.type = kVstSysExType;
  sysex.deltaFrames = 3;
  sysex.dumpBytes = 4;
  sysex.sysexDump = dump;
  VstMidiSysexEvent broken = sysex;
  broken.dumpBytes = -1;
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[4];
  } list{4, 0, {reinterpret_cast<VstEvent*>(&note), nullptr, reinterpret_cast<VstEvent*>(&sysex),
                reinterpret_cast<VstEvent*>(&broken)}};
  EXPECT_EQ(b.Dispatch(effProcessEvents, 0, 0, &list), 1);
  ASSERT_EQ(b.fx->midi.size(), 1u);
  EXPECT_EQ(b.fx->midi[0].mFrameOffset, 12);
  EXPECT_EQ(b.fx->midi[0].mStatusByte, 0x90);
  EXPECT_EQ(b.fx->midi[0].mDataByte1, 60);
  EXPECT_EQ(b.fx->midi[0].mDataByte2, 100);
  ASSERT_EQ(b.fx->sysex.size(), 1u);
  EXPECT_EQ(b.fx->sysex[0].mByteCount, 4);
  EXPECT_EQ(b.Dispatch(effProcessEvents), 0);
  // Out: one event per call; true only when the host answers 1.
  IMidiEvent out;
  out.mFrameOffset = 5;
  out.mStatusByte = 0xB0;
  out.mDataByte1 = 7;
  out.mDataByte2 = 64;
  EXPECT_TRUE(b.fx->SendMidiToHost(&out));
  ASSERT_EQ(b.host.midiReceived.size(), 1u);
  EXPECT_EQ(b.host.midiReceived[0].byteSize, 32);
  EXPECT_EQ(b.host.midiReceived[0].deltaFrames, 5);
  EXPECT_EQ(static_cast<uint8_t>(b.host.midiReceived[0].midiData[0]), 0xB0);
  EXPECT_EQ(b.host.midiReceived[0].midiData[2], 64);
  IExclusiveMessage block;
  block.mByteCount = 4;
  block.mBytes = reinterpret_cast<const uint8_t*>(dump);
  b.host.processEventsAnswer = 0;
  EXPECT_FALSE(b.fx->SendSysExToHost(&block));
  ASSERT_EQ(b.host.sysexReceived.size(), 1u);
  EXPECT_EQ(b.host.sysexReceived[0].dumpBytes, 4);
  // A plug-in taking MIDI says so and asks for it on every block.
  std::string canDo = "receiveVstMidiEvent";
  EXPECT_EQ(b.Dispatch(effCanDo, 0, 0, &canDo[0]), 1);
  float l[4] = {}, r[4] = {};
  float* io[2] = {l, r};
  b.effect->processReplacing(b.effect, io, io, 4);
  EXPECT_EQ(b.host.CallsOf(audioMasterWantMidi).size(), 1u);
}

TEST(Vst2Host, VendorCanDoSetsExtensionBits) {
  Bench b;
  std::string ext = "\x68\x61\x73\x43\x6F\x63\x6B\x6F\x73\x45\x78\x74\x65\x6E\x73\x69\x6F\x6E\x73";
  std::string view = "\x68\x61\x73\x43\x6F\x63\x6B\x6F\x73\x56\x69\x65\x77\x41\x73\x43\x6F\x6E\x66\x69\x67";
  b.Dispatch(effCanDo, 0, 0, &ext[0]);
  EXPECT_EQ(b.fx->HostExtensions(), 1);
  b.Dispatch(effCanDo, 0, 0, &view[0]);
  EXPECT_EQ(b.fx->HostExtensions(), 3);
}

TEST(Vst2Editor, WithoutGraphicsTheEditorOpcodesAnswerZero) {
  Bench b;
  ERect* rect = nullptr;
  EXPECT_EQ(b.effect->flags & effFlagsHasEditor, 0);
  EXPECT_EQ(b.Dispatch(effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(rect, nullptr);
  EXPECT_EQ(b.Dispatch(effEditOpen, 0, 0, &rect), 0);
  EXPECT_EQ(b.Dispatch(effEditClose), 0);
  EXPECT_EQ(b.Dispatch(effEditIdle), 0);
  EXPECT_TRUE(b.fx->log.empty());
}

TEST(Vst2Editor, WithGraphicsTheEditorOpensAndCloses) {
  Bench b;
  EditorGraphics* g = b.AttachEditor();
  EXPECT_EQ(b.effect->flags & effFlagsHasEditor, effFlagsHasEditor);
  ERect* rect = nullptr;
  EXPECT_EQ(b.Dispatch(effEditGetRect, 0, 0, nullptr), 0);
  EXPECT_EQ(b.Dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 480);
  EXPECT_EQ(rect->right, 640);
  int parent = 0;
  EXPECT_EQ(b.Dispatch(effEditOpen, 0, 0, &parent), 1);
  EXPECT_EQ(g->lastParent, &parent);
  EXPECT_EQ(b.Dispatch(effEditClose), 1);
  EXPECT_EQ(b.fx->log, (std::vector<std::string>{"open window", "opened", "closing", "close window"}));
  g->opens = false;
  EXPECT_EQ(b.Dispatch(effEditOpen, 0, 0, &parent), 0);
  EXPECT_EQ(b.fx->log.back(), "open window");  // no window: not reported as opened
}

TEST(Vst2Editor, HostValuesReachTheControls) {
  Bench b;
  EditorGraphics* g = b.AttachEditor();
  g->routes.clear();
  std::string text = "25";
  EXPECT_EQ(b.Dispatch(effString2Parameter, 0, 0, &text[0]), 1);
  ASSERT_EQ(g->routes.size(), 1u);
  EXPECT_EQ(g->routes[0].value, 10.0);  // the limited value, in display units
  EXPECT_FALSE(g->routes[0].normalized);
  g->routes.clear();
  text = "nan";
  EXPECT_EQ(b.Dispatch(effString2Parameter, 0, 0, &text[0]), 0);
  EXPECT_TRUE(g->routes.empty());
  b.effect->setParameter(b.effect, 0, 0.75f);
  ASSERT_EQ(g->routes.size(), 1u);
  EXPECT_EQ(g->routes[0].value, 0.75);
  EXPECT_TRUE(g->routes[0].normalized);
  EXPECT_EQ(b.fx->GetParam(0)->Value(), 5.0);
}

TEST(Vst2Chunks, FailedReadsLeaveThePresetAndTheControls) {
  Bench b;
  EditorGraphics* g = b.AttachEditor();
  const StateBlob& stored = b.fx->GetPreset(0)->mState;
  const std::vector<uint8_t> before(stored.Data(), stored.Data() + stored.Size());
  // A preset chunk whose state ends after the first value.
  std::vector<uint8_t> chunk = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  for (int i = 0; i < 8; ++i) chunk.push_back(i == 7 ? 0x40 : 0);  // 2.0
  chunk.push_back(0);
  g->routes.clear();
  EXPECT_EQ(b.Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 0);
  EXPECT_TRUE(g->routes.empty());  // no refresh
  EXPECT_EQ(std::vector<uint8_t>(stored.Data(), stored.Data() + stored.Size()), before);
  // A whole one refreshes every control with its value in display units.
  chunk.resize(8);
  for (double v : {2.0, 1.0, 3.0}) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) chunk.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  }
  EXPECT_EQ(b.Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 1);
  ASSERT_EQ(g->routes.size(), 3u);
  EXPECT_EQ(g->routes[2].value, 3.0);
  EXPECT_FALSE(g->routes[2].normalized);
}

TEST(Vst2Chunks, HeaderReading) {
  Bench b;
  StateBlob blob;
  ASSERT_TRUE(b.fx->WriteStateHeader(blob));
  ASSERT_EQ(blob.Size(), 8);
  int32_t pos = 0;
  EXPECT_EQ(b.fx->ReadStateHeader(blob, pos), 0x00010000);
  EXPECT_EQ(pos, 8);
  pos = 4;  // no magic there
  EXPECT_EQ(b.fx->ReadStateHeader(blob, pos), 0);
  EXPECT_EQ(pos, 4);
  pos = -1;
  EXPECT_EQ(b.fx->ReadStateHeader(blob, pos), 0);
  EXPECT_EQ(pos, -1);
  StateBlob cut;
  ASSERT_TRUE(cut.AppendBytes(blob.Data(), 6));
  pos = 0;
  EXPECT_EQ(b.fx->ReadStateHeader(cut, pos), 0);
  EXPECT_EQ(pos, -1);
}

}  // namespace
}  // namespace vst2test
