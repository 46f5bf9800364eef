#include "pageservice/page.h"

#include "text/codepage.h"

#include <QString>

#include <algorithm>
#include <cctype>

namespace pageservice {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Texts are immortal: server threads may still answer while the process
// exits.
const std::string& InvalidTextMessage() {
  static const std::string* text =
      new std::string(text::FromUnicode(u"提交的文字含有无效的 GB18030 字节，无法翻译。"));
  return *text;
}

const std::string& FullWidthLess() {
  static const std::string* text = new std::string(text::FromUnicode(u"＜"));
  return *text;
}

const std::string& FullWidthAmpersand() {
  static const std::string* text = new std::string(text::FromUnicode(u"＆"));
  return *text;
}

std::string HtmlText(std::string_view s) {
  std::string out;
  for (const char c : s) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string_view Heading(Direction dir) { return dir == Direction::EnToZh ? kMarker : kZhToEnHeading; }

std::optional<Direction> DirectionOf(std::string_view langpair) {
  const std::string lp = Lower(langpair);
  const std::size_t bar = lp.find('|');
  if (bar == std::string::npos) return std::nullopt;
  auto isZh = [](std::string_view code) { return code == "zh" || code == "zh-cn" || code == "zh-hans"; };
  const std::string_view from = std::string_view(lp).substr(0, bar);
  const std::string_view to = std::string_view(lp).substr(bar + 1);
  if (from == "en" && isZh(to)) return Direction::EnToZh;
  if (isZh(from) && to == "en") return Direction::ZhToEn;
  return std::nullopt;
}

std::optional<Form> ParseForm(std::string_view body) {
  std::size_t text = 0;
  for (;;) {
    text = body.find("text=", text);
    if (text == std::string_view::npos) return std::nullopt;
    if (text == 0 || body[text - 1] == '&') break;
    ++text;
  }
  const std::size_t start = text + 5;
  const std::size_t langpair = body.rfind("&langpair=");
  if (langpair == std::string_view::npos || langpair < start) return std::nullopt;
  std::string_view pair = body.substr(langpair + 10);
  pair = pair.substr(0, pair.find('&'));
  return Form{body.substr(start, langpair - start), pair};
}

bool IsValidGb18030(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = text::CharLength(s, i);
    // A lone high byte is no character; four-byte forms start 0x81-0x84
    // (the rest of the BMP) or 0x90-0xE3 (the supplementary planes).
    if (n == 1 || (n == 4 && !(b <= 0x84 || (b >= 0x90 && b <= 0xE3)))) return false;
    i += n;
  }
  return true;
}

std::vector<std::string> SourceLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (!lines.empty() && lines.front() == kMarker) lines.erase(lines.begin());
  return lines;
}

std::string EscapeLine(std::string_view line) {
  std::string out;
  out.reserve(line.size() + 16);
  // '<', '&' and '\'' are never part of a multi-byte character, so a byte
  // scan finds only real ones.
  for (std::size_t i = 0; i < line.size(); ++i) {
    const std::string_view rest = line.substr(i);
    const char c = line[i];
    if (c == '\'') {
      out += "&#39;";
    } else if (c == '<' && (rest.starts_with("<br>") || rest.starts_with("</div>"))) {
      out += FullWidthLess();
    } else if (c == '&' &&
               (rest.starts_with("&#160;") || rest.starts_with("&quot;") || rest.starts_with("&#39;"))) {
      out += FullWidthAmpersand();
    } else if (c == '\0') {
      out += ' ';  // the client's page ends at a zero byte
    } else {
      out += c;
    }
  }
  return out;
}

std::string RenderPage(std::string_view echo, Direction dir, const std::vector<std::string>& lines,
                       std::string_view about) {
  const std::string_view langpair = dir == Direction::EnToZh ? "en|zh-CN" : "zh|en";
  std::string page;
  page.reserve(echo.size() * 3 + 1024);
  // Nothing before the echo may hold the marker: the client looks for its
  // first occurrence. This part is plain ASCII.
  page +=
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=GB18030\">"
      "<title>Lexiphon translation</title></head><body>\n<form method=post action=\"/translate_t?langpair=";
  page += langpair;
  page += "\"><table><tr><td class=almost_half_cell><textarea name=text rows=12 cols=48>";
  page += echo;
  page += kAnchor;
  page += Heading(dir);
  for (const std::string& line : lines) {
    page += "<br>";
    page += EscapeLine(line);
  }
  page += "</div></td></tr></table></form>\n<p>";
  page += HtmlText(about);
  page += "</p></body></html>\n";
  return page;
}

std::string ErrorPage(int status, std::string_view message) {
  std::string page =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=GB18030\">"
      "<title>Lexiphon page service: error ";
  page += std::to_string(status);
  page += "</title></head><body><p>";
  page += HtmlText(message);
  page +=
      "</p><p>Translation requests are POST /translate_t?langpair=en|zh-CN (or zh|en) with the form "
      "fields hl, ie, text and langpair.</p></body></html>\n";
  return page;
}

PageResponse AnswerTranslate(std::optional<std::string_view> queryLangpair, std::string_view body,
                             const EngineAccess& engine) {
  const std::optional<Form> form = ParseForm(body);
  if (!form) return {400, ErrorPage(400, "The form has no text field followed by a langpair field.")};
  const std::optional<Direction> dir = DirectionOf(queryLangpair ? *queryLangpair : form->langpair);
  if (!dir) return {400, ErrorPage(400, "Unknown or missing language pair: use en|zh-CN or zh|en.")};
  if (!IsValidGb18030(form->text))
    return {400, RenderPage(form->text, *dir, {InvalidTextMessage()}, engine.strAbout)};
  if (!engine.pEngine) return {503, RenderPage(form->text, *dir, {engine.strError}, engine.strAbout)};
  const EngineResult result = engine.pEngine->Translate(*dir, SourceLines(form->text));
  return {result.bFailed ? 502 : 200, RenderPage(form->text, *dir, result.lines, engine.strAbout)};
}

}  // namespace pageservice
