#include <windows.h>

#include "components/accuraterip/accuraterip.h"

namespace {

// Refuses every lookup until the HTTP client is in place.
class ArDbWin : public AccurateRipDb {
 public:
  void SetEvents(AccurateRipEvents*) override {}
  void SetServer(const std::wstring& url) override { server_ = url; }
  int16_t BeginLookup(const DiscToc&) override {
    result_ = ArLookupResult{};
    result_.status = ArLookupStatus::Failed;
    result_.error = L"AccurateRip lookups are not available in this build";
    return 1;
  }
  void AbortLookup() override {}
  ArLookupResult Result() override { return result_; }

 private:
  std::wstring server_;
  ArLookupResult result_;
};

}  // namespace

std::unique_ptr<AccurateRipDb> CreateAccurateRipDb() { return std::make_unique<ArDbWin>(); }
