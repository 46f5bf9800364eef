#include "platform/speech/spvoice.h"

#include "platform/speech/devicesink.h"
#include "platform/speech/resampler.h"
#include "platform/speech/synthbackend.h"
#include "platform/speech/textsplit.h"
#include "platform/speech/tokens.h"

#include <algorithm>
#include <chrono>

namespace speech {

namespace {
constexpr std::uint32_t kInfinite = 0xFFFFFFFF;

// UTF-16 units in the first nByte bytes of a UTF-8 text.
std::uint32_t Utf16Units(const std::string& utf8, std::size_t nByte) {
  std::uint32_t units = 0;
  for (std::size_t i = 0; i < std::min(nByte, utf8.size()); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if ((b & 0xC0) == 0x80) continue;
    units += b >= 0xF0 ? 2 : 1;
  }
  return units;
}

// The default voice's English: the natural one where it can run.
std::string DefaultEnglishVoice() {
  return FliteBackend().Start() ? kNaturalEnglishVoice : kEnglishVoice;
}
}  // namespace

// The synthesis thread and the engines start with the first text.
CSpVoice::CSpVoice() : m_pSink(std::make_shared<CDeviceSink>()) {}

CSpVoice::~CSpVoice() {
  {
    std::lock_guard lock(m_mutex);
    m_bStop = true;
    PurgeLocked();
  }
  m_cvWork.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

HRESULT CSpVoice::QueryInterface(const GUID& riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  if (riid != IID_IUnknown && riid != IID_ISpVoice) return E_NOINTERFACE;
  AddRef();
  *ppvObject = static_cast<ISpVoice*>(this);
  return S_OK;
}

void CSpVoice::PurgeLocked() {
  m_queue.clear();
  m_marks.clear();
  m_heardWord = {};
  m_nEndAt = 0;
  ++m_nGeneration;
  m_pSink->Interrupt();
  m_pSink->Purge();
}

HRESULT CSpVoice::SetOutput(std::shared_ptr<IAudioSink> pSink) {
  std::lock_guard lock(m_mutex);
  // What was queued for the old output goes with it.
  PurgeLocked();
  m_pSink = pSink ? std::move(pSink) : std::make_shared<CDeviceSink>();
  m_pSink->SetVolume(m_nVolume);
  if (m_bPaused) m_pSink->Pause();
  return S_OK;
}

HRESULT CSpVoice::Speak(const char16_t* pwcs, std::uint32_t dwFlags, std::uint32_t* pulStreamNumber) {
  if (dwFlags & ~(SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML)) return E_INVALIDARG;
  if (!pwcs && !(dwFlags & SPF_PURGEBEFORESPEAK)) return E_POINTER;
  std::uint32_t stream = 0;
  {
    std::lock_guard lock(m_mutex);
    if (dwFlags & SPF_PURGEBEFORESPEAK) PurgeLocked();
    if (!pwcs) return S_OK;
    // Queued text would wait for ever on a machine with nothing to play on.
    if (!m_pSink->IsAvailable()) return SPERR_NO_AUDIO_DEVICE;
    // A device lost since (the sound server restarted) is opened again.
    if (!m_pSink->Recover()) return SPERR_NO_AUDIO_DEVICE;
    stream = ++m_nLastStream;
    m_queue.push_back({std::u16string(pwcs), stream, m_nGeneration.load()});
    if (!m_thread.joinable()) m_thread = std::thread([this] { Run(); });
  }
  m_cvWork.notify_one();
  if (pulStreamNumber) *pulStreamNumber = stream;
  if (!(dwFlags & SPF_ASYNC)) WaitUntilDone(kInfinite);
  return S_OK;
}

HRESULT CSpVoice::Pause() {
  std::lock_guard lock(m_mutex);
  m_bPaused = true;
  m_pSink->Pause();
  return S_OK;
}

HRESULT CSpVoice::Resume() {
  std::lock_guard lock(m_mutex);
  m_bPaused = false;
  m_pSink->Resume();
  return S_OK;
}

HRESULT CSpVoice::SetVoice(ISpObjectToken* pToken) {
  std::string voice;
  if (pToken) {
    const std::optional<std::string> id = VoiceIdentifierOf(pToken);
    if (!id) return E_INVALIDARG;
    if (!id->empty()) {
      ISynthBackend& backend = BackendOf(*id);
      if (!backend.Start() || !backend.HasVoice(*id)) return SPERR_NOT_FOUND;
    }
    voice = *id;
  }
  std::lock_guard lock(m_mutex);
  m_pToken = CRef<ISpObjectToken>(pToken);
  m_strVoice = voice;
  return S_OK;
}

HRESULT CSpVoice::GetVoice(ISpObjectToken** ppToken) {
  if (!ppToken) return E_POINTER;
  std::lock_guard lock(m_mutex);
  *ppToken = m_pToken ? CRef<ISpObjectToken>(m_pToken).Detach() : MakeDefaultVoiceToken().Detach();
  return S_OK;
}

HRESULT CSpVoice::SetRate(std::int32_t RateAdjust) {
  std::lock_guard lock(m_mutex);
  m_nRate = std::clamp(RateAdjust, -10, 10);
  return S_OK;
}

HRESULT CSpVoice::GetRate(std::int32_t* pRateAdjust) {
  if (!pRateAdjust) return E_POINTER;
  std::lock_guard lock(m_mutex);
  *pRateAdjust = m_nRate;
  return S_OK;
}

HRESULT CSpVoice::SetVolume(std::uint16_t usVolume) {
  if (usVolume > 100) return E_INVALIDARG;
  std::lock_guard lock(m_mutex);
  m_nVolume = usVolume;
  m_pSink->SetVolume(usVolume);
  return S_OK;
}

HRESULT CSpVoice::GetVolume(std::uint16_t* pusVolume) {
  if (!pusVolume) return E_POINTER;
  std::lock_guard lock(m_mutex);
  *pusVolume = static_cast<std::uint16_t>(m_nVolume);
  return S_OK;
}

HRESULT CSpVoice::WaitUntilDone(std::uint32_t msTimeout) {
  std::unique_lock lock(m_mutex);
  const auto done = [this] { return m_queue.empty() && !m_bSpeaking; };
  if (msTimeout == kInfinite) {
    m_cvDone.wait(lock, done);
    return S_OK;
  }
  return m_cvDone.wait_for(lock, std::chrono::milliseconds(msTimeout), done) ? S_OK : S_FALSE;
}

HRESULT CSpVoice::GetStatus(SPVOICESTATUS* pStatus) {
  if (!pStatus) return E_POINTER;
  std::lock_guard lock(m_mutex);
  const std::uint64_t heard = m_pSink->Heard();
  while (!m_marks.empty() && m_marks.front().nAt <= heard) {
    m_heardWord = m_marks.front();
    m_marks.pop_front();
  }
  *pStatus = {};
  pStatus->ulLastStreamQueued = m_nLastStream;
  pStatus->ulCurrentStream = m_heardWord.nStream;
  pStatus->ulInputWordPos = m_heardWord.nPos;
  pStatus->ulInputWordLen = m_heardWord.nLen;
  const bool done = m_queue.empty() && !m_bSpeaking && heard >= m_nEndAt;
  pStatus->dwRunningState = done ? SPRS_DONE : SPRS_IS_SPEAKING;
  return S_OK;
}

void CSpVoice::Run() {
  for (;;) {
    SJob job;
    {
      std::unique_lock lock(m_mutex);
      m_cvWork.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
      if (m_bStop) return;
      job = std::move(m_queue.front());
      m_queue.pop_front();
      m_bSpeaking = true;
    }
    SpeakJob(job);
    {
      std::lock_guard lock(m_mutex);
      m_bSpeaking = false;
    }
    m_cvDone.notify_all();
  }
}

void CSpVoice::SpeakJob(const SJob& job) {
  const CCancel cancel{&m_nGeneration, job.nGeneration};
  std::shared_ptr<IAudioSink> sink;
  std::string chosen;
  {
    std::lock_guard lock(m_mutex);
    sink = m_pSink;
    chosen = m_strVoice;
  }
  const std::string english = chosen.empty() ? DefaultEnglishVoice() : std::string();
  // The whole text plays at the rate of the voice chosen (for the default
  // voice, of its English one); a piece from another synthesiser is
  // resampled to it.
  ISynthBackend& first = BackendOf(chosen.empty() ? english : chosen);
  if (!first.Start()) return;
  const int outRate = first.SampleRate();
  if (cancel.IsSet() || !sink->Open(outRate)) return;
  const std::uint64_t base = sink->Accepted();

  // PCM the sink has not taken yet; the synthesiser is never kept waiting
  // for the sink, so its lock is free while we wait.
  std::vector<std::int16_t> pending;
  std::size_t sent = 0;
  std::uint64_t produced = 0;  // samples of this text so far
  const auto offer = [&](bool bWait) {
    while (sent < pending.size()) {
      const std::size_t k = sink->Write(pending.data() + sent, pending.size() - sent, bWait, cancel);
      sent += k;
      if (k == 0 || !bWait || cancel.IsSet() || sink->Failed()) break;
    }
    if (sent == pending.size()) {
      pending.clear();
      sent = 0;
    } else if (sent >= 1 << 16) {
      pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(sent));
      sent = 0;
    }
  };
  const auto append = [&](const std::vector<std::int16_t>& pcm) {
    pending.insert(pending.end(), pcm.begin(), pcm.end());
    produced += pcm.size();
  };

  CTextPieces pieces(job.text, chosen.empty());
  std::vector<std::int16_t> converted;
  while (std::optional<SPiece> piece = pieces.Next()) {
    std::string voice;
    int rate = 0;
    {
      std::lock_guard lock(m_mutex);
      voice = m_strVoice;
      rate = m_nRate;
    }
    // A voice chosen mid-text applies from the next piece; the default voice
    // picks by the piece's script.
    if (voice.empty()) voice = piece->bChinese ? kMandarinVoice : (english.empty() ? DefaultEnglishVoice() : english);
    ISynthBackend& backend = BackendOf(voice);
    if (!backend.Start()) continue;
    CResampler resampler(backend.SampleRate(), outRate);
    const std::uint64_t pieceAt = base + produced;
    const auto onWord = [&](const SWordEvent& e) {
      const std::uint32_t from = Utf16Units(piece->strUtf8, e.nByte);
      const std::uint32_t to = Utf16Units(piece->strUtf8, e.nByte + e.nBytes);
      std::lock_guard lock(m_mutex);
      if (cancel.IsSet()) return;
      m_marks.push_back({job.nStream, pieceAt + resampler.ToOutput(e.nSample),
                         static_cast<std::uint32_t>(piece->nStart) + from, to - from});
    };
    const auto onPcm = [&](const std::int16_t* p, std::size_t n) {
      if (cancel.IsSet() || sink->Failed()) return false;
      converted.clear();
      resampler.Push(p, n, converted);
      append(converted);
      offer(false);
      return true;
    };
    backend.Synthesize({voice, rate, piece->strUtf8, piece->bSentenceEnd}, onPcm, onWord);
    converted.clear();
    resampler.Flush(converted);
    append(converted);
    offer(true);
    // A sink that failed (the sound server went away) ends this text.
    if (cancel.IsSet() || sink->Failed()) return;
  }
  std::lock_guard lock(m_mutex);
  if (!cancel.IsSet()) m_nEndAt = base + produced;
}

}  // namespace speech
