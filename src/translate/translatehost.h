#pragma once
// Where the translation page lives, and whether it can be reached at all.
#include <functional>
#include <string>
#include <string_view>

namespace translate {

// The host when none is configured and the built-in page service cannot
// start.
inline constexpr std::string_view kDefaultTranslateHost = "localhost";

struct TranslateHost {
  std::string strName;  // a name, an IPv4 address or an IPv6 address (no brackets)
  int nPort = 80;
};

// "host", "host:port", "[v6]" or "[v6]:port". A port that is not a number
// from 1 to 65535 stays part of the name, so the request reports it.
TranslateHost ParseHost(std::string_view text);

// LEXIPHON_TRANSLATE_HOST when set, else setting.ini [translate] host in the
// current directory, else the page service started inside the program
// (pageservice::EmbeddedServiceAddress), else the default.
TranslateHost ConfiguredHost();

// The loopback interface needs no network; any other host needs the
// platform's network to be up, and "don't know" counts as up.
bool IsConnected(const TranslateHost& host);

// Tests decide the platform's answer through this; empty: ask the platform.
void SetConnectionCheckForTesting(std::function<bool(const TranslateHost&)> check);

}  // namespace translate
