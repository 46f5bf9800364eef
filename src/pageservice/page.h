#pragma once
// The translation page from the service's side: what a request holds and
// the page that answers it. The client finds the echo of the text it sent,
// skips the fixed markup after it, and reads the translation from the
// direction's heading up to the first "</div>", turning "<br>", "&#160;",
// "&quot;" and "&#39;" back into text; the page is built for exactly that.
#include "pageservice/engine.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pageservice {

// The markup between the echo and the translation. Only its length counts
// for the client, so it must never change.
inline constexpr std::string_view kAnchor =
    "</textarea></td><td id=gap>&nbsp;</td><td class=almost_half_cell><div id=result_box dir=\"ltr\">";
static_assert(kAnchor.size() == 94);

// "以下是翻译结果：": the client puts it at the head of the text; as the
// first line it is not translated but answered with the heading.
inline constexpr std::string_view kMarker =
    "\xD2\xD4\xCF\xC2\xCA\xC7\xB7\xAD\xD2\xEB\xBD\xE1\xB9\xFB\xA3\xBA";
inline constexpr std::string_view kZhToEnHeading = "Following is the translation:";
std::string_view Heading(Direction dir);

// "en|zh-CN" and "zh|en", the forms the client sends, and their close
// relatives ("en|zh", "zh-CN|en", any case).
std::optional<Direction> DirectionOf(std::string_view langpair);

// The form body, not percent-encoded: the text runs from "text=" (at the
// start or after "&") to the last "&langpair=".
struct Form {
  std::string_view text;
  std::string_view langpair;
};
std::optional<Form> ParseForm(std::string_view body);

// Every byte sequence a well-formed GB18030 character.
bool IsValidGb18030(std::string_view s);

// The text's lines (CR LF, LF or CR), without the marker line.
std::vector<std::string> SourceLines(std::string_view text);

// One line of translation as page text: the apostrophe as "&#39;", and the
// sequences the client would take for markup ("<br>", "</div>", the three
// entities) broken with a full-width sign; the client cannot restore those.
std::string EscapeLine(std::string_view line);

// The page: echo, anchor, heading, the lines joined with "<br>", "</div>".
// about: a short ASCII line on what made the translation.
std::string RenderPage(std::string_view echo, Direction dir, const std::vector<std::string>& lines,
                       std::string_view about);
// A plain page for a request that is no translation request at all.
std::string ErrorPage(int status, std::string_view message);

inline constexpr std::string_view kPageContentType = "text/html; charset=GB18030";

struct PageResponse {
  int nStatus = 200;
  std::string body;
};

// Engine access for one request: null with a reason when none can be had
// (the dictionary did not load).
struct EngineAccess {
  CTranslationEngine* pEngine = nullptr;
  std::string strError;  // GB18030
  std::string strAbout;  // ASCII
};

// The whole answer to a POST: langpair from the query when it has one, else
// from the body.
PageResponse AnswerTranslate(std::optional<std::string_view> queryLangpair, std::string_view body,
                             const EngineAccess& engine);

}  // namespace pageservice
