#include "menulink/integration/ocr_client.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/win/menulink_ocr/fake_dispatch.h"

namespace {

class OcrClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.names = {L"StartSession", L"LoadImage",    L"GetEngineVersion",   L"AddPageData",
                  L"ZoneImage",    L"SaveDocument", L"GetProductName",     L"EndSession",
                  L"OptionDialog", L"SetSource",    L"SetLanguageAnalyst", L"SaveDocumentAs"};
    client = new OcrClient;
    client->AddRef();
    fake.AddRef();
    client->dispatch = &fake;
  }
  void TearDown() override {
    if (client) client->Release();
  }
  FakeDispatch fake;
  OcrClient* client = nullptr;
};

TEST_F(OcrClientTest, ReferenceCountingOwnsTheDispatch) {
  EXPECT_EQ(client->refCount, 1);
  EXPECT_EQ(client->AddRef(), 2u);
  IUnknown* self = nullptr;
  EXPECT_EQ(client->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self)), S_OK);
  EXPECT_EQ(self, static_cast<IUnknown*>(client));
  EXPECT_EQ(client->refCount, 3);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(client->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(client->Release(), 2u);
  EXPECT_EQ(client->Release(), 1u);
  EXPECT_EQ(fake.refs, 2);
  EXPECT_EQ(client->Release(), 0u);
  client = nullptr;
  EXPECT_EQ(fake.refs, 1) << "the last Release lets go of the server";
}

TEST_F(OcrClientTest, WrappersCallByNameWithTheirFormats) {
  fake.resultValue = 0;
  EXPECT_EQ(client->StartSession(0x10203), 0);
  EXPECT_EQ(client->ZoneImage(7), 0);
  EXPECT_EQ(client->SaveDocument(""), 0);
  EXPECT_EQ(client->OptionDialog(6226), 0);
  EXPECT_EQ(client->SetSource(0x10005), 0);
  EXPECT_EQ(client->SetLanguageAnalyst(3, 4), 0);
  EXPECT_EQ(client->SaveDocumentAs("a", "b"), 0);
  ASSERT_EQ(fake.calls.size(), 7u);
  EXPECT_EQ(fake.askedNames,
            (std::vector<std::wstring>{L"StartSession", L"ZoneImage", L"SaveDocument", L"OptionDialog",
                                       L"SetSource", L"SetLanguageAnalyst", L"SaveDocumentAs"}));
  EXPECT_EQ(fake.calls[0].args.at(0).vt, VT_I4);
  EXPECT_EQ(fake.calls[0].args.at(0).lVal, 0x10203);
  EXPECT_EQ(fake.calls[1].args.at(0).vt, VT_I2);
  EXPECT_EQ(fake.calls[1].args.at(0).iVal, 7);
  EXPECT_EQ(fake.calls[2].texts.at(0), L"");
  EXPECT_EQ(fake.calls[3].args.at(0).lVal, 6226);
  EXPECT_EQ(fake.calls[4].args.at(0).vt, VT_I2);
  EXPECT_EQ(fake.calls[4].args.at(0).iVal, 5) << "low 16 bits";
  ASSERT_EQ(fake.calls[5].args.size(), 2u);
  EXPECT_EQ(fake.calls[5].args[1].iVal, 3);
  EXPECT_EQ(fake.calls[5].args[0].iVal, 4);
  EXPECT_EQ(fake.calls[6].texts, (std::vector<std::wstring>{L"b", L"a"}));
  for (const RecordedCall& c : fake.calls) EXPECT_EQ(c.flags, DISPATCH_METHOD);
}

TEST_F(OcrClientTest, ResultsAndFailuresComeBackAsDocumented) {
  fake.resultValue = -300;
  EXPECT_EQ(client->EndSession(), -300);
  EXPECT_EQ(client->lastResult, S_OK);

  fake.resultValue = static_cast<LONG>(0xF831F82Au);
  EXPECT_EQ(client->LoadImage(), 0) << "LoadImage's special success code";
  fake.resultValue = 17;
  EXPECT_EQ(client->LoadImage(), 17);

  fake.resultType = VT_BSTR;
  EXPECT_EQ(client->EndSession(), -1) << "a call that answers no integer";
  EXPECT_EQ(client->lastResult, S_OK);

  fake.resultType = VT_I4;
  fake.invokeHr = S_FALSE;
  EXPECT_EQ(client->EndSession(), -1);
  EXPECT_EQ(client->lastResult, S_FALSE);

  fake.invokeHr = S_OK;
  EXPECT_EQ(client->GetVersion(), -1) << "an unknown name";
  EXPECT_EQ(client->lastResult, DISP_E_UNKNOWNNAME);

  client->dispatch->Release();
  client->dispatch = nullptr;
  EXPECT_EQ(client->EndSession(), -1);
  EXPECT_EQ(client->lastResult, E_INVALIDARG);
}

TEST_F(OcrClientTest, ByReferenceWrappersReceiveTheServersValues) {
  fake.onInvoke = [](DISPPARAMS* p) {
    VARIANT& v = p->rgvarg[0];
    if (v.vt == (VT_I2 | VT_BYREF)) *v.piVal = 300;
    if (v.vt == (VT_BSTR | VT_BYREF)) *v.pbstrVal = SysAllocStringLen(L"Lexora", 6);
  };
  int16_t version = 0;
  EXPECT_EQ(client->GetEngineVersion(&version), 0);
  EXPECT_EQ(version, 300);
  BSTR name = nullptr;
  EXPECT_EQ(client->GetProductName(&name), 0);
  ASSERT_NE(name, nullptr);
  EXPECT_STREQ(name, L"Lexora");
  SysFreeString(name);
}

TEST_F(OcrClientTest, AddPageDataSendsTheBytesAsAnArrayOfLongs) {
  std::vector<unsigned char> seen;
  ULONG elements = 0;
  VARTYPE vt = 0;
  fake.onInvoke = [&](DISPPARAMS* p) {
    ASSERT_EQ(p->cArgs, 4u);
    EXPECT_EQ(p->rgvarg[3].iVal, 1);
    EXPECT_EQ(p->rgvarg[2].iVal, 2);
    EXPECT_EQ(p->rgvarg[0].iVal, 5);
    vt = p->rgvarg[1].vt;
    SAFEARRAY* a = p->rgvarg[1].parray;
    ASSERT_NE(a, nullptr);
    elements = a->rgsabound[0].cElements;
    auto* bytes = static_cast<unsigned char*>(a->pvData);
    seen.assign(bytes, bytes + 5);
  };
  const unsigned char data[5] = {1, 2, 3, 4, 0xEE};
  fake.resultValue = 9;
  EXPECT_EQ(client->AddPageData(1, 2, data, 5), 9);
  EXPECT_EQ(vt, VT_ARRAY);
  EXPECT_EQ(elements, 2u);
  EXPECT_EQ(seen, std::vector<unsigned char>(data, data + 5));

  fake.onInvoke = nullptr;
  fake.invokeHr = DISP_E_EXCEPTION;
  EXPECT_EQ(client->AddPageData(1, 2, data, 5), -1);
}

}  // namespace
