#include "menulink/integration/listing_answer.h"

namespace {

constexpr uint32_t kNumberMask = 0xFFFFFF;
// Low byte: 1 no, 2 + language yes (languages are small indexes).
constexpr uint32_t kNo = 1;
constexpr uint32_t kYesBase = 2;
constexpr int32_t kMaxLanguage = 0xFF - kYesBase;

}  // namespace

uint32_t ListingQuestionNumber(uint32_t seed) {
  uint32_t n = seed & kNumberMask;
  return n ? n : 1;
}

uint32_t EncodeListingAnswer(uint32_t question, bool qualifies, int32_t language) {
  uint32_t outcome = kNo;
  if (qualifies && language >= 0 && language <= kMaxLanguage) outcome = kYesBase + (uint32_t)language;
  return ((question & kNumberMask) << 8) | outcome;
}

bool DecodeListingAnswer(uint32_t answer, uint32_t question, bool* qualifies, int32_t* language) {
  if (question == 0 || (answer >> 8) != (question & kNumberMask)) return false;
  uint32_t outcome = answer & 0xFF;
  if (outcome == kNo) {
    *qualifies = false;
    return true;
  }
  if (outcome < kYesBase) return false;
  *qualifies = true;
  *language = (int32_t)(outcome - kYesBase);
  return true;
}
