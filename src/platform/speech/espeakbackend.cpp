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

struct SSynthCall {
  const CEspeak::PcmHandler* pHandler;
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
  int nLoadedRate = -1;
};

SState& State() {
  static SState* s = new SState();  // outlives every voice thread at exit
  return *s;
}

int OnSynth(short* wav, int numsamples, espeak_EVENT* events) {
  (void)events;
  // Runs inside Synthesize, which holds the lock.
  SSynthCall* call = State().pCall;
  if (!call) return 0;
  if (wav && numsamples > 0 &&
      !(*call->pHandler)(reinterpret_cast<const std::int16_t*>(wav), static_cast<std::size_t>(numsamples))) {
    call->bStopped = true;
    return 1;
  }
  return 0;
}

}  // namespace

bool CEspeak::Start() {
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
      if (!info.strIdentifier.empty()) s.voices.push_back(std::move(info));
    }
  }
  s.bStarted = true;
  s.bReady.store(true, std::memory_order_release);
  return true;
}

// Neither takes the lock: a synthesis under way must not hold up the
// interface thread.
int CEspeak::SampleRate() {
  SState& s = State();
  return s.bReady.load(std::memory_order_acquire) ? s.nSampleRate : 0;
}

const std::vector<SVoiceInfo>& CEspeak::Voices() {
  static const std::vector<SVoiceInfo> none;
  SState& s = State();
  return s.bReady.load(std::memory_order_acquire) ? s.voices : none;
}

int CEspeak::WordsPerMinute(int nRate) {
  const int rate = std::clamp(nRate, -10, 10);
  const double wpm = espeakRATE_NORMAL * std::pow(3.0, rate / 10.0);
  // Below the minimum the synthesiser would not slow down any further.
  return std::clamp(static_cast<int>(std::lround(wpm)), espeakRATE_MINIMUM, espeakRATE_NORMAL * 3);
}

bool CEspeak::Synthesize(const std::string& strVoice, int nWordsPerMinute, const std::string& strUtf8,
                         bool bEndPause, const PcmHandler& onPcm) {
  SState& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.bStarted) return false;
  if (strVoice != s.strLoadedVoice) {
    if (espeak_SetVoiceByName(strVoice.c_str()) != EE_OK) {
      s.strLoadedVoice.clear();
      return false;
    }
    s.strLoadedVoice = strVoice;
    s.nLoadedRate = -1;
  }
  if (nWordsPerMinute != s.nLoadedRate) {
    espeak_SetParameter(espeakRATE, nWordsPerMinute, 0);
    s.nLoadedRate = nWordsPerMinute;
  }
  SSynthCall call{&onPcm};
  unsigned flags = espeakCHARS_UTF8;
  if (bEndPause) flags |= espeakENDPAUSE;
  s.pCall = &call;
  const espeak_ERROR err =
      espeak_Synth(strUtf8.c_str(), strUtf8.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr, nullptr);
  s.pCall = nullptr;
  return err == EE_OK || call.bStopped;
}

}  // namespace speech
