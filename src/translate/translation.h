#pragma once
// What the two translation directions share and where they differ, the text
// preparation before a request, and cutting the translation out of the page
// that comes back. Pure functions on GB18030 bytes: no windows, no network.
#include <QString>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace translate {

enum class TranslationDirection { EnToZh, ZhToEn };

// Everything that differs between the two commands.
struct DirectionTraits {
  unsigned nCommand;
  const char* pszTooLong;  // UTF-8
  bool bBracketsToParens;  // "<" and ">" would end up as markup in the page
  std::string_view formPrefix;
  std::string_view formSuffix;
  std::string_view path;
  std::string_view heading;  // how the page's translation of the marker begins
};
const DirectionTraits& Traits(TranslationDirection dir);

// "以下是翻译结果：" with CR LF: it travels at the head of the text, so the
// page's own translation of it marks where the translation starts.
inline constexpr std::string_view kResultMarker =
    "\xD2\xD4\xCF\xC2\xCA\xC7\xB7\xAD\xD2\xEB\xBD\xE1\xB9\xFB\xA3\xBA\r\n";
inline constexpr std::string_view kSearchMarker = kResultMarker.substr(0, 16);
inline constexpr std::string_view kRequestHeader = "Content-Type:   application/x-www-form-urlencoded\r\n";
// The page's markup between the echo of the text and the translation; only
// its length matters.
inline constexpr std::size_t kAnchorLength = 94;
inline constexpr std::size_t kMaxTextBytes = 8000;
inline constexpr std::size_t kMaxPageBytes = 983040;

// Why a text is not sent.
enum class TextCheck { Ok, Empty, TooLong };

// Trims the pane's text and checks it; on Ok, text holds what is to be sent
// (substitutions done, so it may exceed the limit).
TextCheck PrepareText(std::string& text, TranslationDirection dir);

// The sent text S: the marker, CR LF, the text.
std::string SentText(std::string_view text);
// The form body: nothing is percent-encoded.
std::string FormBody(std::string_view sent, TranslationDirection dir);

// The translation in a page the service returned for the sent text S, its
// line breaks and character entities decoded. Nothing when the page holds no
// result at all (no "</div>" after the echo); a result may be empty.
std::optional<std::string> FindTranslation(std::string_view page, std::string_view sent,
                                           TranslationDirection dir);
// FindTranslation, a page without a result giving "".
std::string ExtractTranslation(std::string_view page, std::string_view sent, TranslationDirection dir);

// "无法连接到服务器,错误码:%d,请检查防火墙设置".
QString FailureText(int nError);
// An answer with an error status, and a page without a translation: both are
// failures the user is told about like a network failure.
QString HttpStatusText(int nStatus);
QString NoTranslationText();

}  // namespace translate
