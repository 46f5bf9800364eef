#pragma once
// The synthesiser, in process. Its library keeps process-wide state and is
// not thread-safe, so every call goes through here under one lock, and a
// voice's synthesis thread holds that lock only while it synthesises one
// piece (never while it waits for a sink).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace speech {

struct SVoiceInfo {
  std::string strName;        // "English (America)"
  std::string strIdentifier;  // "gmw/en-US": what selects it
  std::string strLanguage;    // "en-us"
  int nGender = 0;            // 0 none, 1 male, 2 female
  int nAge = 0;
};

// The voices the default voice switches between.
inline constexpr char kEnglishVoice[] = "gmw/en-US";
inline constexpr char kMandarinVoice[] = "sit/cmn";

class CEspeak {
 public:
  // Starts the library the first time; false when it cannot run (no data).
  static bool Start();
  static int SampleRate();
  // Every installed voice, read once at start.
  static const std::vector<SVoiceInfo>& Voices();

  // Words per minute for a rate of -10..10: the normal speed times
  // 3^(rate/10), within what the synthesiser can do.
  static int WordsPerMinute(int nRate);

  // Synthesises one piece, handing the PCM over as it is made; onPcm
  // answering false stops at once. False when the voice cannot be loaded or
  // synthesis failed.
  using PcmHandler = std::function<bool(const std::int16_t* pSamples, std::size_t n)>;
  static bool Synthesize(const std::string& strVoice, int nWordsPerMinute, const std::string& strUtf8,
                         bool bEndPause, const PcmHandler& onPcm);
};

}  // namespace speech
