#include "translate/translatehost.h"

#include "pageservice/embedded.h"
#include "platform/http.h"
#include "platform/profile.h"

#include <QNetworkInformation>
#include <QString>

#include <charconv>

namespace translate {

namespace {

std::function<bool(const TranslateHost&)>& Override() {
  static std::function<bool(const TranslateHost&)> check;
  return check;
}

bool PortFrom(std::string_view digits, int& port) {
  if (digits.empty()) return false;
  int value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || value < 1 || value > 65535) return false;
  port = value;
  return true;
}

}  // namespace

TranslateHost ParseHost(std::string_view text) {
  TranslateHost host;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close != std::string_view::npos) {
      const std::string_view rest = text.substr(close + 1);
      if (rest.empty() || (rest.front() == ':' && PortFrom(rest.substr(1), host.nPort))) {
        host.strName = text.substr(1, close - 1);
        return host;
      }
    }
    host.strName = text;
    return host;
  }
  // One colon separates a port; more make a bare IPv6 address.
  const std::size_t colon = text.find(':');
  if (colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos &&
      PortFrom(text.substr(colon + 1), host.nPort)) {
    host.strName = text.substr(0, colon);
    return host;
  }
  host.strName = text;
  return host;
}

TranslateHost ConfiguredHost() {
  const QByteArray env = qgetenv("LEXIPHON_TRANSLATE_HOST");
  if (!env.trimmed().isEmpty()) return ParseHost(env.trimmed().toStdString());
  std::string value =
      platform::GetPrivateProfileString("translate", "host", "", QStringLiteral("setting.ini"), 256);
  // No host named: the page service inside the program answers.
  if (value.find_first_not_of(" \t") == std::string::npos) value = pageservice::EmbeddedServiceAddress();
  if (value.empty()) value = kDefaultTranslateHost;
  return ParseHost(value);
}

void SetConnectionCheckForTesting(std::function<bool(const TranslateHost&)> check) {
  Override() = std::move(check);
}

bool IsConnected(const TranslateHost& host) {
  if (Override()) return Override()(host);
  if (platform::IsLoopbackHost(host.strName)) return true;
  // Loaded once, on the interface thread. Without a backend (no network
  // manager) nothing is known.
  static const bool loaded = QNetworkInformation::loadDefaultBackend();
  const QNetworkInformation* info = loaded ? QNetworkInformation::instance() : nullptr;
  return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

}  // namespace translate
