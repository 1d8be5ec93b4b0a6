// Text helpers of the CDDB exchange: UTF-8 decoding, form encoding.
#pragma once
#include <string>
#include <string_view>

// Decodes UTF-8 into UTF-16. Text that is not valid UTF-8 (old records in a
// single-byte code page) is taken byte by byte as Latin-1, so no character
// is lost. NUL characters are dropped.
std::wstring CddbDecodeText(std::string_view bytes);
bool CddbIsValidUtf8(std::string_view bytes);
std::string CddbToUtf8(std::wstring_view text);

// application/x-www-form-urlencoded: unreserved bytes kept, space as '+'.
std::string CddbFormEncode(std::string_view text);
