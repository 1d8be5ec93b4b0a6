#include "menulink/integration/ocr_invoke.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tests/win/menulink_ocr/fake_dispatch.h"

namespace {

class InvokeByNameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InstallBstrLedger());
    ledger.Reset();
  }
  // Every string the helper allocated was freed exactly once.
  void ExpectStringsBalanced() {
    EXPECT_EQ(ledger.allocs, ledger.frees);
    EXPECT_EQ(ledger.badFrees, 0);
    EXPECT_TRUE(ledger.live.empty());
  }
  FakeDispatch fake;
};

TEST_F(InvokeByNameTest, EveryLetterByValueArrivesTypedAndReversed) {
  IDispatch* inner = &fake;
  IUnknown* unk = &fake;
  CY cy;
  cy.int64 = 123456789012345LL;
  VARIANT whole;
  VariantInit(&whole);
  whole.vt = VT_I4;
  whole.lVal = 77;
  SAFEARRAYBOUND bound = {2, 0};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 1, &bound);
  int32_t result = 0;
  HRESULT hr =
      InvokeByName(&fake, DISPATCH_METHOD, &result, nullptr, nullptr, L"Alpha", "iIrRcdsSDebvUAb", 0x12345,
                   -7, 1.5f, 2.25, cy, 3.5, L"wide", "narrow", inner, 0x80004005, 5, whole, unk, array, 0);
  ASSERT_EQ(hr, S_OK);
  ASSERT_EQ(fake.calls.size(), 1u);
  const RecordedCall& c = fake.calls[0];
  EXPECT_EQ(c.id, 100);
  EXPECT_EQ(c.flags, DISPATCH_METHOD);
  ASSERT_EQ(c.args.size(), 15u);
  auto arg = [&](int formatIndex) -> const VARIANT& { return c.args[14 - formatIndex]; };
  EXPECT_EQ(arg(0).vt, VT_I2);
  EXPECT_EQ(arg(0).iVal, 0x2345);
  EXPECT_EQ(arg(1).vt, VT_I4);
  EXPECT_EQ(arg(1).lVal, -7);
  EXPECT_EQ(arg(2).vt, VT_R4);
  EXPECT_FLOAT_EQ(arg(2).fltVal, 1.5f);
  EXPECT_EQ(arg(3).vt, VT_R8);
  EXPECT_DOUBLE_EQ(arg(3).dblVal, 2.25);
  EXPECT_EQ(arg(4).vt, VT_CY);
  EXPECT_EQ(arg(4).cyVal.int64, 123456789012345LL);
  EXPECT_EQ(arg(5).vt, VT_DATE);
  EXPECT_DOUBLE_EQ(arg(5).date, 3.5);
  EXPECT_EQ(arg(6).vt, VT_BSTR);
  EXPECT_EQ(c.texts[14 - 6], L"wide");
  EXPECT_EQ(arg(7).vt, VT_BSTR);
  EXPECT_EQ(c.texts[14 - 7], L"narrow");
  EXPECT_EQ(arg(8).vt, VT_DISPATCH);
  EXPECT_EQ(arg(8).pdispVal, inner);
  EXPECT_EQ(arg(9).vt, VT_ERROR);
  EXPECT_EQ(arg(9).scode, static_cast<SCODE>(0x80004005));
  EXPECT_EQ(arg(10).vt, VT_BOOL);
  EXPECT_EQ(arg(10).boolVal, VARIANT_TRUE);
  EXPECT_EQ(arg(11).vt, VT_I4);
  EXPECT_EQ(arg(11).lVal, 77);
  EXPECT_EQ(arg(12).vt, VT_UNKNOWN);
  EXPECT_EQ(arg(12).punkVal, unk);
  EXPECT_EQ(arg(13).vt, VT_ARRAY);
  EXPECT_EQ(arg(13).parray, array);
  EXPECT_EQ(arg(14).vt, VT_BOOL);
  EXPECT_EQ(arg(14).boolVal, VARIANT_FALSE);
  EXPECT_EQ(c.namedCount, 0u);
  EXPECT_TRUE(c.hadResult);
  SafeArrayDestroy(array);
  ExpectStringsBalanced();
  EXPECT_EQ(ledger.allocs, 2);
}

TEST_F(InvokeByNameTest, ReferencesPassPointersAndReceiveValues) {
  SHORT i2 = 5;
  LONG i4 = 6;
  float r4 = 0;
  double r8 = 0;
  CY cy = {};
  DATE date = 0;
  BSTR s1 = nullptr;
  BSTR s2 = SysAllocStringLen(L"keep", 4);  // the server sees the variable unchanged
  IDispatch* d = nullptr;
  SCODE e = 0;
  VARIANT_BOOL b = 7;
  VARIANT v;
  VariantInit(&v);
  IUnknown* u = nullptr;
  fake.onInvoke = [](DISPPARAMS* p) {
    // Format order is reversed: the first item is the last element.
    *p->rgvarg[12].piVal = 42;
    *p->rgvarg[6].pbstrVal = SysAllocStringLen(L"from server", 11);
  };
  HRESULT hr =
      InvokeByName(&fake, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Beta", "&i&I&r&R&c&d&s&S&D&e&b&v&U",
                   &i2, &i4, &r4, &r8, &cy, &date, &s1, &s2, &d, &e, &b, &v, &u);
  ASSERT_EQ(hr, S_OK);
  const RecordedCall& c = fake.calls.at(0);
  ASSERT_EQ(c.args.size(), 13u);
  const VARTYPE types[] = {VT_I2,   VT_I4,       VT_R4,    VT_R8,   VT_CY,      VT_DATE,   VT_BSTR,
                           VT_BSTR, VT_DISPATCH, VT_ERROR, VT_BOOL, VT_VARIANT, VT_UNKNOWN};
  void* pointers[] = {&i2, &i4, &r4, &r8, &cy, &date, &s1, &s2, &d, &e, &b, &v, &u};
  for (int k = 0; k < 13; ++k) {
    EXPECT_EQ(c.args[12 - k].vt, types[k] | VT_BYREF) << k;
    EXPECT_EQ(c.args[12 - k].byref, pointers[k]) << k;
  }
  EXPECT_FALSE(c.hadResult);
  EXPECT_EQ(i2, 42);
  EXPECT_EQ(b, 0) << "&b is cleared before the call";
  ASSERT_NE(s1, nullptr);
  EXPECT_STREQ(s1, L"from server");
  EXPECT_STREQ(s2, L"keep");
  // Nothing was allocated or freed by the helper for references.
  EXPECT_EQ(ledger.frees, 0);
  SysFreeString(s1);
  SysFreeString(s2);
}

TEST_F(InvokeByNameTest, RefusedArgumentsNeverReachTheServer) {
  SAFEARRAY* array = nullptr;
  EXPECT_EQ(InvokeByName(&fake, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Alpha", "S&A", "x", &array),
            E_INVALIDARG);
  EXPECT_EQ(InvokeByName(nullptr, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Alpha", "I", 1),
            E_INVALIDARG);
  EXPECT_EQ(InvokeByName(&fake, DISPATCH_PROPERTYPUT, nullptr, nullptr, nullptr, L"Alpha", ""), E_INVALIDARG);
  EXPECT_EQ(InvokeByName(&fake, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Gamma", "I", 1),
            DISP_E_UNKNOWNNAME);
  fake.namesHr = E_ACCESSDENIED;
  EXPECT_EQ(InvokeByName(&fake, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Alpha", "S", "y"),
            E_ACCESSDENIED);
  EXPECT_TRUE(fake.calls.empty());
  ExpectStringsBalanced();
  EXPECT_EQ(ledger.allocs, 1) << "the string before &A was made and freed";
}

TEST_F(InvokeByNameTest, PropertyPutPassesOneNamedArgument) {
  ASSERT_EQ(InvokeByName(&fake, DISPATCH_PROPERTYPUT, nullptr, nullptr, nullptr, L"Alpha", "I", 9), S_OK);
  const RecordedCall& c = fake.calls.at(0);
  EXPECT_EQ(c.flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(c.namedCount, 1u);
  EXPECT_EQ(c.named, DISPID_PROPERTYPUT);
  ASSERT_EQ(c.args.size(), 1u);
  EXPECT_EQ(c.args[0].lVal, 9);
}

TEST_F(InvokeByNameTest, OnlyAnI4AnswerIsAResult) {
  int32_t result = 0;
  fake.resultValue = 1234;
  ASSERT_EQ(InvokeByName(&fake, DISPATCH_METHOD, &result, nullptr, nullptr, L"Alpha", nullptr), S_OK);
  EXPECT_EQ(result, 1234);
  for (VARTYPE t : {VT_EMPTY, VT_I2, VT_BSTR}) {
    fake.resultType = t;
    result = 0;
    ASSERT_EQ(InvokeByName(&fake, DISPATCH_METHOD, &result, nullptr, nullptr, L"Alpha", ""), S_OK);
    EXPECT_EQ(result, -1) << "vt " << t;
  }
  fake.resultType = VT_I4;
  fake.invokeHr = DISP_E_EXCEPTION;
  result = 0;
  EXPECT_EQ(InvokeByName(&fake, DISPATCH_METHOD, &result, nullptr, nullptr, L"Alpha", "s", L"z"),
            DISP_E_EXCEPTION);
  EXPECT_EQ(result, 1234) << "a failed Invoke still reads the answer variant";
  ExpectStringsBalanced();
}

TEST_F(InvokeByNameTest, FormatStopsAtTheFirstInvalidCharacter) {
  ASSERT_EQ(InvokeByName(&fake, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Alpha", "Ix&I", 3, 4), S_OK);
  ASSERT_EQ(fake.calls.at(0).args.size(), 1u);
  EXPECT_EQ(fake.calls[0].args[0].lVal, 3);
  ASSERT_EQ(InvokeByName(&fake, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Alpha", "I&", 3), S_OK);
  EXPECT_EQ(fake.calls.at(1).args.size(), 1u);
}

TEST_F(InvokeByNameTest, HighBytesWidenToTheSameCodeUnits) {
  const char text[] = "a\xE9\x80\xFF";
  ASSERT_EQ(InvokeByName(&fake, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Alpha", "S", text), S_OK);
  const std::wstring expected = {L'a', 0xE9, 0x80, 0xFF};
  EXPECT_EQ(fake.calls.at(0).texts[0], expected);

  wchar_t* wide = WidenAnsi(text);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(std::wstring(wide), expected);
  free(wide);
  wide = WidenAnsi("");
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide[0], 0);
  free(wide);
}

TEST_F(InvokeByNameTest, EveryStringIsFreedOnceAfterTheCall) {
  ASSERT_EQ(InvokeByName(&fake, DISPATCH_METHOD, nullptr, nullptr, nullptr, L"Alpha", "sSIS", L"one", "two",
                         3, "three"),
            S_OK);
  ExpectStringsBalanced();
  EXPECT_EQ(ledger.allocs, 3);
  // The very strings the server saw are the ones freed.
  const RecordedCall& c = fake.calls.at(0);
  for (BSTR seen : c.bstrs) {
    if (!seen) continue;
    EXPECT_EQ(std::count(ledger.freed.begin(), ledger.freed.end(), seen), 1);
  }
}

}  // namespace
