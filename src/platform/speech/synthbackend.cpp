#include "platform/speech/synthbackend.h"

#include <algorithm>
#include <cmath>

namespace speech {

bool ISynthBackend::HasVoice(std::string_view strIdentifier) const {
  const auto& voices = Voices();
  return std::any_of(voices.begin(), voices.end(),
                     [&](const SVoiceInfo& v) { return v.strIdentifier == strIdentifier; });
}

ISynthBackend& BackendOf(std::string_view strIdentifier) {
  return strIdentifier.substr(0, 6) == "flite/" ? FliteBackend() : EspeakBackend();
}

double RateSpeed(int nRate) { return std::pow(3.0, std::clamp(nRate, -10, 10) / 10.0); }

}  // namespace speech
