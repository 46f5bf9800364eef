#pragma once
// What a translation engine does for the page: lines in, lines out, all in
// GB18030. The page adds the heading and the markup.
#include <string>
#include <vector>

namespace pageservice {

enum class Direction { EnToZh, ZhToEn };

struct EngineResult {
  std::vector<std::string> lines;
  // The lines explain why there is no translation (shown to the user as
  // they are); the page's status says so too.
  bool bFailed = false;
};

class CTranslationEngine {
 public:
  virtual ~CTranslationEngine() = default;
  // Called from many server threads at once.
  virtual EngineResult Translate(Direction dir, const std::vector<std::string>& lines) = 0;
};

}  // namespace pageservice
