#pragma once
// The voice: a queue of texts and a synthesis thread of its own that speaks
// them one after the other into an audio sink. Every public call comes from
// the interface thread and returns at once (Speak without SPF_ASYNC and
// WaitUntilDone excepted).
#include "platform/speech/audiosink.h"
#include "platform/speech/speechapi.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace speech {

class CSpVoice : public CUnknownImpl<ISpVoice> {
 public:
  CSpVoice();

  HRESULT QueryInterface(const GUID& riid, void** ppvObject) override;
  HRESULT SetOutput(std::shared_ptr<IAudioSink> pSink) override;
  HRESULT Speak(const char16_t* pwcs, std::uint32_t dwFlags, std::uint32_t* pulStreamNumber) override;
  HRESULT Pause() override;
  HRESULT Resume() override;
  HRESULT SetVoice(ISpObjectToken* pToken) override;
  HRESULT GetVoice(ISpObjectToken** ppToken) override;
  HRESULT SetRate(std::int32_t RateAdjust) override;
  HRESULT GetRate(std::int32_t* pRateAdjust) override;
  HRESULT SetVolume(std::uint16_t usVolume) override;
  HRESULT GetVolume(std::uint16_t* pusVolume) override;
  HRESULT WaitUntilDone(std::uint32_t msTimeout) override;
  HRESULT GetStatus(SPVOICESTATUS* pStatus) override;

 protected:
  ~CSpVoice() override;

 private:
  struct SJob {
    std::u16string text;
    std::uint32_t nStream;
    std::uint32_t nGeneration;
  };
  // A word of a stream and the sink position where its sound starts.
  struct SWordMark {
    std::uint32_t nStream = 0;
    std::uint64_t nAt = 0;
    std::uint32_t nPos = 0;
    std::uint32_t nLen = 0;
  };

  void Run();
  void SpeakJob(const SJob& job);
  // Drops the queue and stops what is being spoken.
  void PurgeLocked();

  std::mutex m_mutex;
  std::condition_variable m_cvWork;
  std::condition_variable m_cvDone;
  std::deque<SJob> m_queue;
  bool m_bSpeaking = false;
  bool m_bStop = false;
  bool m_bPaused = false;
  std::uint32_t m_nLastStream = 0;
  std::atomic<std::uint32_t> m_nGeneration{0};  // a purge moves it on
  std::deque<SWordMark> m_marks;  // made by the synthesis, not heard yet
  SWordMark m_heardWord;
  std::uint64_t m_nEndAt = 0;  // where the last text written ends

  std::shared_ptr<IAudioSink> m_pSink;
  CRef<ISpObjectToken> m_pToken;
  std::string m_strVoice;  // "" for the default voice
  int m_nRate = 0;
  int m_nVolume = 100;

  std::thread m_thread;
};

}  // namespace speech
