#pragma once
// What a synthesiser does for a voice: start on first use, list its voices,
// and turn one piece of text into PCM with the word boundaries in it. Each
// library keeps process-wide state and is not thread-safe, so a backend
// serialises its calls; a voice's thread holds that lock only while it
// synthesises one piece, never while it waits for a sink.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace speech {

struct SVoiceInfo {
  std::string strName;        // "English (America)"
  std::string strIdentifier;  // "gmw/en-US": what selects it
  std::string strLanguage;    // "en-us"
  int nGender = 0;            // 0 none, 1 male, 2 female
  int nAge = 0;
  std::u16string strChinese;  // a description for "804"; empty: made from the language
  std::u16string strVendor;
};

// A word the synthesiser says: where its sound starts in the piece's PCM and
// which UTF-8 bytes of the piece it stands for.
struct SWordEvent {
  std::uint64_t nSample = 0;
  std::size_t nByte = 0;
  std::size_t nBytes = 0;
};

struct SSynthRequest {
  std::string strVoice;
  int nRate = 0;  // -10..10
  std::string strUtf8;
  bool bEndPause = false;  // ends a sentence: the synthesiser pauses after it
};

class ISynthBackend {
 public:
  virtual ~ISynthBackend() = default;

  // Loads the library the first time; false when it cannot run.
  virtual bool Start() = 0;
  // Neither waits for a synthesis under way; both are empty before Start.
  virtual int SampleRate() const = 0;
  virtual const std::vector<SVoiceInfo>& Voices() const = 0;

  // onPcm answering false stops at once. Word events come before the PCM
  // they point into. False when the voice cannot be loaded or synthesis failed.
  using PcmHandler = std::function<bool(const std::int16_t* pSamples, std::size_t n)>;
  using WordHandler = std::function<void(const SWordEvent&)>;
  virtual bool Synthesize(const SSynthRequest& request, const PcmHandler& onPcm, const WordHandler& onWord) = 0;

  bool HasVoice(std::string_view strIdentifier) const;
};

ISynthBackend& EspeakBackend();
ISynthBackend& FliteBackend();
// The backend a voice identifier belongs to (Flite's start with "flite/").
ISynthBackend& BackendOf(std::string_view strIdentifier);

// The voices the default voice switches between; English falls back to the
// formant voice where the natural one cannot run.
inline constexpr char kNaturalEnglishVoice[] = "flite/cmu_us_slt";
inline constexpr char kEnglishVoice[] = "gmw/en-US";
inline constexpr char kMandarinVoice[] = "sit/cmn";

// The speed a rate of -10..10 asks for, relative to normal: every ten steps
// triple or third it.
double RateSpeed(int nRate);

}  // namespace speech
