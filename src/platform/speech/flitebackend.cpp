#include "platform/speech/flitebackend.h"

extern "C" {
#include <flite/flite.h>
}

#include <dlfcn.h>

#include <atomic>
#include <map>
#include <mutex>

namespace speech {

namespace {

constexpr int kSampleRate = 16000;

// Each voice is a library of its own, several megabytes of tables that the
// loader would relocate, and so make resident, at start-up if linked: it is
// loaded when the voice first speaks.
struct SFliteVoice {
  const char* id;
  const char* library;
  const char* reg;
  const char* name;
  int gender;
  const char16_t* chinese;
};

constexpr SFliteVoice kVoices[] = {
    {"flite/cmu_us_slt", "libflite_cmu_us_slt.so.1", "register_cmu_us_slt", "US English female (natural)", 2,
     u"美国英语 女声（自然）"},
    {"flite/cmu_us_rms", "libflite_cmu_us_rms.so.1", "register_cmu_us_rms", "US English male (natural)", 1,
     u"美国英语 男声（自然）"},
    {"flite/cmu_us_awb", "libflite_cmu_us_awb.so.1", "register_cmu_us_awb", "Scottish English male (natural)",
     1, u"苏格兰英语 男声（自然）"},
    {"flite/cmu_us_kal16", "libflite_cmu_us_kal16.so.1", "register_cmu_us_kal16", "US English male (clear)",
     1, u"美国英语 男声（清晰）"},
};

struct SSynthCall {
  const ISynthBackend::PcmHandler* pPcm;
  const ISynthBackend::WordHandler* pWord;
  const std::string* pText;
  bool bWordsSent = false;
  bool bStopped = false;
};

struct SState {
  std::mutex mutex;
  std::atomic<bool> bReady{false};
  bool bStarted = false;
  std::vector<SVoiceInfo> voices;
  std::map<std::string, cst_voice*> loaded;
  cst_audio_streaming_info* pStreaming = nullptr;
  SSynthCall* pCall = nullptr;  // under the lock
};

SState& State() {
  static SState* s = new SState();  // outlives every voice thread at exit
  return *s;
}

// Where each token's words start, and which bytes of the text it is. The
// tokeniser notes the offset just past a token, its punctuation and one
// blank; the name is then looked for from there back, so a token is found
// even where that note is off by the blank at the end of the text.
void SendWords(const cst_utterance* utt, SSynthCall& call) {
  const std::string& text = *call.pText;
  const int rate = kSampleRate;
  std::size_t searchFrom = 0;
  for (const cst_item* t = relation_head(utt_relation(utt, "Token")); t; t = item_next(t)) {
    const char* name = item_feat_string(t, "name");
    const std::size_t len = std::char_traits<char>::length(name);
    if (len == 0) continue;
    const std::size_t at = text.find(name, searchFrom, len);
    if (at == std::string::npos) continue;
    searchFrom = at + len;
    const cst_item* word = item_daughter(item_as(t, "Token"));
    if (!word) continue;  // punctuation only: nothing said
    float start = 0;
    if (const cst_item* prev = path_to_item(word, "R:SylStructure.daughter1.daughter1.R:Segment.p"))
      start = item_feat_float(prev, "end");
    if (start < 0) start = 0;
    (*call.pWord)({static_cast<std::uint64_t>(start * rate + 0.5f), at, len});
  }
}

int OnStream(const cst_wave* w, int start, int size, int last, cst_audio_streaming_info* asi) {
  (void)last;
  SSynthCall* call = State().pCall;
  if (!call) return CST_AUDIO_STREAM_STOP;
  if (!call->bWordsSent && asi->utt) {
    call->bWordsSent = true;
    SendWords(asi->utt, *call);
  }
  if (size > 0 && !(*call->pPcm)(reinterpret_cast<const std::int16_t*>(w->samples + start),
                                 static_cast<std::size_t>(size))) {
    call->bStopped = true;
    return CST_AUDIO_STREAM_STOP;
  }
  return CST_AUDIO_STREAM_CONT;
}

cst_voice* LoadVoice(const SFliteVoice& v) {
  // Kept loaded for the life of the process, as the voice it registers.
  void* library = dlopen(v.library, RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  using Register = cst_voice* (*)(const char*);
  const auto reg = reinterpret_cast<Register>(dlsym(library, v.reg));
  return reg ? reg(nullptr) : nullptr;
}

}  // namespace

ISynthBackend& FliteBackend() {
  static CFliteBackend* backend = new CFliteBackend();
  return *backend;
}

bool CFliteBackend::Start() {
  SState& s = State();
  if (s.bReady.load(std::memory_order_acquire)) return true;
  std::lock_guard lock(s.mutex);
  if (s.bStarted) return true;
  flite_init();
  s.pStreaming = new_audio_streaming_info();
  s.pStreaming->asc = OnStream;
  s.pStreaming->min_buffsize = 320;  // 20 ms: the first sound comes early
  for (const SFliteVoice& v : kVoices) {
    SVoiceInfo info;
    info.strName = v.name;
    info.strIdentifier = v.id;
    info.strLanguage = "en-us";
    info.nGender = v.gender;
    info.strChinese = v.chinese;
    info.strVendor = u"CMU Flite";
    s.voices.push_back(std::move(info));
  }
  s.bStarted = true;
  s.bReady.store(true, std::memory_order_release);
  return true;
}

int CFliteBackend::SampleRate() const {
  return State().bReady.load(std::memory_order_acquire) ? kSampleRate : 0;
}

const std::vector<SVoiceInfo>& CFliteBackend::Voices() const {
  static const std::vector<SVoiceInfo> none;
  SState& s = State();
  return s.bReady.load(std::memory_order_acquire) ? s.voices : none;
}

bool CFliteBackend::Synthesize(const SSynthRequest& request, const PcmHandler& onPcm,
                               const WordHandler& onWord) {
  SState& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.bStarted) return false;
  cst_voice* voice = nullptr;
  if (const auto it = s.loaded.find(request.strVoice); it != s.loaded.end()) {
    voice = it->second;
  } else {
    for (const SFliteVoice& v : kVoices)
      if (request.strVoice == v.id) voice = LoadVoice(v);
    if (!voice) return false;
    feat_set(voice->features, "streaming_info", audio_streaming_info_val(s.pStreaming));
    s.loaded[request.strVoice] = voice;
  }
  // Longer segments: a slower voice, with its pitch kept.
  feat_set_float(voice->features, "duration_stretch", static_cast<float>(1.0 / RateSpeed(request.nRate)));

  // Blanks alone: the pause they stand for, without the voice's breath noise.
  if (request.strUtf8.find_first_not_of(" \t\r\n\v\f") == std::string::npos) {
    const std::vector<std::int16_t> silence(
        static_cast<std::size_t>(kSampleRate / 5 / RateSpeed(request.nRate)));
    onPcm(silence.data(), silence.size());
    return true;
  }
  const WordHandler none = [](const SWordEvent&) {};
  SSynthCall call{&onPcm, onWord ? &onWord : &none, &request.strUtf8};
  s.pCall = &call;
  cst_utterance* utt = flite_synth_text(request.strUtf8.c_str(), voice);
  s.pCall = nullptr;
  const bool ok = utt != nullptr;
  if (utt) delete_utterance(utt);
  return ok || call.bStopped;
}

}  // namespace speech
