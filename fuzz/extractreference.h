#pragma once
// The extraction written step for step with the generic code-page helpers,
// copies and four replacement passes: the oracle that the real one (views,
// one pass) is checked against.
#include "text/codepage.h"
#include "translate/translation.h"

#include <string>
#include <string_view>

namespace translate {

inline std::string ReferenceExtraction(std::string_view page, std::string_view sent,
                                       TranslationDirection dir) {
  const auto len = [](std::string_view s) { return static_cast<long long>(s.size()); };
  const long long p = text::Find(page, kSearchMarker);
  const std::string p1 = text::Right(page, len(page) - p - static_cast<long long>(kAnchorLength) - len(sent));
  const std::string p2 = text::Left(p1, text::Find(p1, "</div>"));
  std::string p3 = text::Right(p2, len(p2) - text::Find(p2, Traits(dir).heading));
  text::ReplaceAll(p3, "<br>", "\r\n");
  text::ReplaceAll(p3, "&#160;", " ");
  text::ReplaceAll(p3, "&quot;", " ");
  text::ReplaceAll(p3, "&#39;", "'");
  return p3;
}

}  // namespace translate
