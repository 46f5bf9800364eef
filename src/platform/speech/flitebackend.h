#pragma once
// The natural English voices, in process: CMU's recorded US and Scottish
// speakers. A voice is loaded the first time it speaks.
#include "platform/speech/synthbackend.h"

namespace speech {

class CFliteBackend : public ISynthBackend {
 public:
  bool Start() override;
  int SampleRate() const override;
  const std::vector<SVoiceInfo>& Voices() const override;
  bool Synthesize(const SSynthRequest& request, const PcmHandler& onPcm, const WordHandler& onWord) override;
};

}  // namespace speech
