#pragma once
// The formant synthesiser, in process: every language, Mandarin among them.
#include "platform/speech/synthbackend.h"

namespace speech {

struct SEspeakSpeed {
  int nWordsPerMinute = 0;
  int nWordGap = 0;  // extra pause between words, in the library's 10 ms units
};

class CEspeakBackend : public ISynthBackend {
 public:
  bool Start() override;
  int SampleRate() const override;
  const std::vector<SVoiceInfo>& Voices() const override;
  bool Synthesize(const SSynthRequest& request, const PcmHandler& onPcm, const WordHandler& onWord) override;

  // The normal speed times RateSpeed; below the synthesiser's slowest words
  // per minute the rest comes from pauses between words, so every step is
  // slower than the one above.
  static SEspeakSpeed SpeedOf(int nRate);
};

}  // namespace speech
