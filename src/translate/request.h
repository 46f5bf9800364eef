#pragma once
// The request half of a translation: the form post to the page and reading
// the page back. Runs on a worker thread; throws platform::CInternetException.
#include "platform/http.h"
#include "translate/translatehost.h"
#include "translate/translation.h"

#include <memory>
#include <string>
#include <string_view>

namespace translate {

// Connect and whole-request bounds of every request from now on (tests use
// short ones).
platform::InternetTimeouts RequestTimeouts();
void SetRequestTimeouts(const platform::InternetTimeouts& timeouts);

// Posts the form body to the direction's path and returns the page: read to
// its end, at most kMaxPageBytes, ending before its first zero byte. The
// answer's status goes to pnStatus; the page is read whatever it is.
std::string FetchPage(const TranslateHost& host, TranslationDirection dir, std::string_view body,
                      std::shared_ptr<platform::CInternetAbort> pAbort = nullptr, int* pnStatus = nullptr);

}  // namespace translate
