// Every identifier the library uses, byte for byte against its registry form.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "aax/aaxhost.h"

namespace {

// Reads {d1-d2-d3-g4-g5}: d1, d2 and d3 stored little-endian, then the 16 hex digits of g4 and g5
// as eight bytes in order.
std::vector<uint8_t> BytesOf(const std::string& text) {
  std::string hex;
  for (char c : text)
    if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
  EXPECT_EQ(hex.size(), 32u) << text;
  auto byteAt = [&](size_t i) { return static_cast<uint8_t>(std::stoul(hex.substr(i * 2, 2), nullptr, 16)); };
  std::vector<uint8_t> b;
  for (int i = 3; i >= 0; --i) b.push_back(byteAt(static_cast<size_t>(i)));
  b.push_back(byteAt(5));
  b.push_back(byteAt(4));
  b.push_back(byteAt(7));
  b.push_back(byteAt(6));
  for (size_t i = 8; i < 16; ++i) b.push_back(byteAt(i));
  return b;
}

std::vector<uint8_t> Stored(const AcfID& id) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&id);
  return std::vector<uint8_t>(p, p + 16);
}

}  // namespace

TEST(AcfID, RegistryFormReaderMatchesAHandWrittenExample) {
  const std::vector<uint8_t> factory = {0x96, 0x6A, 0x2B, 0x38, 0xD0, 0x7F, 0xD6, 0x11,
                                        0xBC, 0xFE, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24};
  EXPECT_EQ(BytesOf("{382B6A96-7FD0-11D6-BCFE-00306542A024}"), factory);
  EXPECT_EQ(Stored(AcfIds::kComponentFactory), factory);
  const std::vector<uint8_t> unknown = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  EXPECT_EQ(Stored(AcfIds::kUnknown), unknown);
}

TEST(AcfID, EveryIdentifierIsStoredByteForByte) {
  struct Entry {
    const char* name;
    AcfID id;
    const char* text;
  };
  const Entry table[] = {
      {"unknown", AcfIds::kUnknown, "{00000000-0000-0000-C000-000000000046}"},
      {"component factory", AcfIds::kComponentFactory, "{382B6A96-7FD0-11D6-BCFE-00306542A024}"},
      {"plug-in definition", AcfIds::kPluginDefinition, "{00EEF015-7FD0-11D6-8485-00306542A024}"},
      {"collection class", AcfIds::kCollectionClass, "{89882C2D-77BC-42EF-707B-7981B7BD0CCA}"},
      {"collection", AcfIds::kCollection, "{96D42C2D-EBBC-41DF-B1AB-9991A2EE0CCA}"},
      {"effect descriptor class", AcfIds::kEffectDescriptorClass, "{89872C2D-75BC-423F-401B-F9A1BAAD0CCA}"},
      {"effect descriptor", AcfIds::kEffectDescriptor, "{96D42C2D-EBBC-41EF-D1CB-499442E40FDA}"},
      {"effect descriptor 2", AcfIds::kEffectDescriptorV2, "{41ECCC52-416B-4072-84BD-40B05210A74C}"},
      {"component descriptor class", AcfIds::kComponentDescriptorClass, "{94872C3D-95BC-413D-D0DB-D9B12AAD0CCA}"},
      {"component descriptor", AcfIds::kComponentDescriptor, "{96E42C2D-E2BC-51EF-61C7-48994AEB0CDA}"},
      {"component descriptor 2", AcfIds::kComponentDescriptorV2, "{1895259E-AAA9-4F0F-A985-149837B76F89}"},
      {"property map class", AcfIds::kPropertyMapClass, "{A587AD3D-D53C-4ADC-D0DD-D9D12DDDDCDA}"},
      {"property map", AcfIds::kPropertyMap, "{96EE2C2D-EECC-5EFF-E2D7-E849E3E2EEEE}"},
      {"property map 2", AcfIds::kPropertyMapV2, "{7177DF80-7C9C-11E2-B92A-0800200C9A66}"},
      {"host services class", AcfIds::kHostServicesClass, "{88882C2D-EBBC-42EF-C0AB-8981B0BD0CCA}"},
      {"host services", AcfIds::kHostServices, "{96D42C2D-EBBC-41EF-B0AB-9991A0ED0CCA}"},
      {"controller", AcfIds::kController, "{9D5E3E3D-52DC-5EFB-2018-DE1DE2E63F4E}"},
      {"controller 2", AcfIds::kControllerV2, "{4C59AA0E-D7C0-4205-8B6C-32468D42D202}"},
      {"transport", AcfIds::kTransport, "{5CEE4EF4-6337-4359-B63B-FE58DC36543A}"},
      {"transport 2", AcfIds::kTransportV2, "{203CBD9F-982C-4FE6-A827-07480257AEC3}"},
      {"automation delegate", AcfIds::kAutomationDelegate, "{9D5E3D3D-42DC-5EFA-2217-EEE2E8E53E2E}"},
      {"view container", AcfIds::kViewContainer, "{22DA0BBC-D550-4D5E-8CC6-734483B8837F}"},
      {"effect parameters", AcfIds::kEffectParameters, "{964E333D-334C-533F-C2C7-3834C3C23E3E}"},
      {"effect parameters 2", AcfIds::kEffectParametersV2, "{F1F47D06-308F-4CC5-9C7C-50A83F8AB813}"},
      {"effect GUI", AcfIds::kEffectGUI, "{964E323D-424C-5E1A-2227-282423222E1E}"},
  };
  for (const Entry& e : table) EXPECT_EQ(Stored(e.id), BytesOf(e.text)) << e.name;
}

TEST(AcfID, ComparisonLooksAtAllSixteenBytes) {
  AcfID a = AcfIds::kPropertyMap;
  EXPECT_TRUE(a == AcfIds::kPropertyMap);
  a.data4[7] ^= 1;
  EXPECT_FALSE(a == AcfIds::kPropertyMap);
  EXPECT_TRUE(a != AcfIds::kPropertyMap);
  // The collection and the host services differ only in their third and later fields.
  EXPECT_TRUE(AcfIds::kCollection != AcfIds::kHostServices);
}
