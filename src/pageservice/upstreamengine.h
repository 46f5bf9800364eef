#pragma once
// The engine for a site that runs a LibreTranslate-compatible server: the
// text goes to its POST /translate and the page shows what comes back. A
// failure (no answer in time, a refusal, a reply of another form) becomes a
// line of text on the page, never a hang.
#include "pageservice/engine.h"

#include <chrono>
#include <memory>
#include <string>

namespace pageservice {

struct UpstreamConfig {
  std::string strUrl;     // "http://host:5000" or "https://host/prefix"
  std::string strApiKey;  // sent as api_key when set
  std::string strZhCode = "zh";
  // Each of connecting, sending and waiting for the answer; well inside the
  // client's own limit for the whole request.
  std::chrono::milliseconds timeout{15000};
};

// The engine for config, or null with the reason in error. In a library of
// its own (lexiphon_pageservice_upstream) with its HTTP client, so that
// programs serving only the dictionary never load that client.
std::unique_ptr<CTranslationEngine> MakeUpstreamEngine(const UpstreamConfig& config, std::string& error);

class CUpstreamEngine : public CTranslationEngine {
 public:
  explicit CUpstreamEngine(UpstreamConfig config);
  EngineResult Translate(Direction dir, const std::vector<std::string>& lines) override;
  // Checks the URL's form; empty when usable, else why not.
  static std::string CheckUrl(const std::string& strUrl);

 private:
  UpstreamConfig m_config;
  std::string m_strOrigin;  // scheme://host[:port]
  std::string m_strPath;    // the prefix, then "/translate"
};

}  // namespace pageservice
