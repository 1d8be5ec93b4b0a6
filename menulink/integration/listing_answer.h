#pragma once
// The answer a window's own process gives when the listing cannot read the
// window's menu from outside (Wine keeps a menu in the process that owns
// it): whether File, Edit and Paste were found, and in which language,
// tagged with the number of the question so that an answer left from an
// earlier one is never taken for it. It travels as a window property, so it
// must fit 32 bits whatever the width of either side.

#include <cstdint>

// Question numbers use the low 24 bits; 0 is never asked.
uint32_t ListingQuestionNumber(uint32_t seed);
uint32_t EncodeListingAnswer(uint32_t question, bool qualifies, int32_t language);
// False for an answer to another question or one that makes no sense;
// else *qualifies, and *language when it qualifies.
bool DecodeListingAnswer(uint32_t answer, uint32_t question, bool* qualifies, int32_t* language);
