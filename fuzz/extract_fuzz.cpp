// Any page, any sent text, either direction: the extraction must not crash or
// read out of bounds, must agree with the step-by-step reference, and can
// only shrink the page.
#include "extractreference.h"

#include "text/codepage.h"
#include "translate/translation.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using translate::TranslationDirection;

// Input: a flags byte (direction, whether the page starts with the echo), the
// text's length, then the text and the rest of the page.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const TranslationDirection dir =
      (data[0] & 1) ? TranslationDirection::ZhToEn : TranslationDirection::EnToZh;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string sent = translate::SentText(rest.substr(0, std::min<std::size_t>(data[1], rest.size())));
  std::string page;
  if (data[0] & 2) page = "<textarea>" + sent;
  page += rest;

  const std::string result = translate::ExtractTranslation(page, sent, dir);
  if (result != translate::ReferenceExtraction(page, sent, dir)) std::abort();
  if (result.size() > page.size()) std::abort();
  return 0;
}
