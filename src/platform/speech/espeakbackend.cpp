#include "platform/speech/espeakbackend.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

namespace speech {

namespace {

// Milliseconds of sound per callback: small, so the first PCM comes early.
constexpr int kBufferMs = 20;

// Measured on English prose: at the slowest words per minute a text takes
// this many times as long as at the normal speed, and each unit of word gap
// adds this share of the normal duration.
constexpr double kSlowestStretch = 2.11;
constexpr double kGapShare = 0.112;

struct SSynthCall {
  const ISynthBackend::PcmHandler* pPcm;
  const ISynthBackend::WordHandler* pWord;
  const std::string* pText;
  int nSampleRate = 0;
  std::size_t nLastEnd = 0;
  bool bStopped = false;
};

struct SState {
  std::mutex mutex;
  std::atomic<bool> bReady{false};  // voices and rate are fixed from then on
  SSynthCall* pCall = nullptr;      // the synthesis under way (under the lock)
  bool bStarted = false;
  int nSampleRate = 0;
  std::vector<SVoiceInfo> voices;
  std::string strLoadedVoice;
  SEspeakSpeed loaded{-1, -1};
};

SState& State() {
  static SState* s = new SState();  // outlives every voice thread at exit
  return *s;
}

// The byte offset of the n-th (0-based) character of a UTF-8 text.
std::size_t ByteOfChar(const std::string& s, std::size_t n) {
  std::size_t i = 0;
  for (; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
    if (n == 0) return i;
    --n;
  }
  return i;
}

int OnSynth(short* wav, int numsamples, espeak_EVENT* events) {
  // Runs inside Synthesize, which holds the lock.
  SSynthCall* call = State().pCall;
  if (!call) return 0;
  for (espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
    if (e->type != espeakEVENT_WORD || e->text_position < 1 || e->length < 1) continue;
    const std::size_t from = ByteOfChar(*call->pText, static_cast<std::size_t>(e->text_position - 1));
    const std::size_t to =
        ByteOfChar(*call->pText, static_cast<std::size_t>(e->text_position - 1 + e->length));
    // A number said as several words repeats its position: one highlight.
    if (from < call->nLastEnd || to <= from) continue;
    call->nLastEnd = to;
    const std::uint64_t sample =
        static_cast<std::uint64_t>(std::max(0, e->audio_position)) * static_cast<std::uint64_t>(call->nSampleRate) / 1000;
    (*call->pWord)({sample, from, to - from});
  }
  if (wav && numsamples > 0 &&
      !(*call->pPcm)(reinterpret_cast<const std::int16_t*>(wav), static_cast<std::size_t>(numsamples))) {
    call->bStopped = true;
    return 1;
  }
  return 0;
}

}  // namespace

ISynthBackend& EspeakBackend() {
  static CEspeakBackend* backend = new CEspeakBackend();  // lives as long as State()
  return *backend;
}

bool CEspeakBackend::Start() {
  SState& s = State();
  if (s.bReady.load(std::memory_order_acquire)) return true;
  std::lock_guard lock(s.mutex);
  if (s.bStarted) return true;
  // Without DONT_EXIT the library ends the process when its data is missing.
  const int rate =
      espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMs, nullptr, espeakINITIALIZE_DONT_EXIT);
  if (rate <= 0) return false;
  espeak_SetSynthCallback(OnSynth);
  s.nSampleRate = rate;
  if (const espeak_VOICE** list = espeak_ListVoices(nullptr)) {
    for (; *list; ++list) {
      const espeak_VOICE* v = *list;
      SVoiceInfo info;
      info.strName = v->name ? v->name : "";
      info.strIdentifier = v->identifier ? v->identifier : "";
      // languages: a priority byte, then the name, for each language.
      if (v->languages && v->languages[0]) info.strLanguage = v->languages + 1;
      info.nGender = v->gender;
      info.nAge = v->age;
      info.strVendor = u"eSpeak NG";
      if (!info.strIdentifier.empty()) s.voices.push_back(std::move(info));
    }
  }
  s.bStarted = true;
  s.bReady.store(true, std::memory_order_release);
  return true;
}

// Neither takes the lock: a synthesis under way must not hold up the
// interface thread.
int CEspeakBackend::SampleRate() const {
  SState& s = State();
  return s.bReady.load(std::memory_order_acquire) ? s.nSampleRate : 0;
}

const std::vector<SVoiceInfo>& CEspeakBackend::Voices() const {
  static const std::vector<SVoiceInfo> none;
  SState& s = State();
  return s.bReady.load(std::memory_order_acquire) ? s.voices : none;
}

SEspeakSpeed CEspeakBackend::SpeedOf(int nRate) {
  const double speed = RateSpeed(nRate);
  const int wpm = static_cast<int>(std::lround(espeakRATE_NORMAL * speed));
  if (wpm >= espeakRATE_MINIMUM) return {wpm, 0};
  const double missing = 1.0 / speed - kSlowestStretch;
  return {espeakRATE_MINIMUM, std::max(1, static_cast<int>(std::lround(missing / kGapShare)))};
}

bool CEspeakBackend::Synthesize(const SSynthRequest& request, const PcmHandler& onPcm,
                                const WordHandler& onWord) {
  SState& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.bStarted) return false;
  if (request.strVoice != s.strLoadedVoice) {
    if (espeak_SetVoiceByName(request.strVoice.c_str()) != EE_OK) {
      s.strLoadedVoice.clear();
      return false;
    }
    s.strLoadedVoice = request.strVoice;
    s.loaded = {-1, -1};
  }
  const SEspeakSpeed speed = SpeedOf(request.nRate);
  if (speed.nWordsPerMinute != s.loaded.nWordsPerMinute) espeak_SetParameter(espeakRATE, speed.nWordsPerMinute, 0);
  if (speed.nWordGap != s.loaded.nWordGap) espeak_SetParameter(espeakWORDGAP, speed.nWordGap, 0);
  s.loaded = speed;
  const WordHandler none = [](const SWordEvent&) {};
  SSynthCall call{&onPcm, onWord ? &onWord : &none, &request.strUtf8, s.nSampleRate};
  unsigned flags = espeakCHARS_UTF8;
  if (request.bEndPause) flags |= espeakENDPAUSE;
  s.pCall = &call;
  const espeak_ERROR err = espeak_Synth(request.strUtf8.c_str(), request.strUtf8.size() + 1, 0, POS_CHARACTER,
                                        0, flags, nullptr, nullptr);
  s.pCall = nullptr;
  return err == EE_OK || call.bStopped;
}

}  // namespace speech
