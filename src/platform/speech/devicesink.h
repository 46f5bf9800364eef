#pragma once
// The sound device (the sound server's default output): a ring of PCM that
// the synthesis thread fills and an audio thread of its own feeds into a
// QAudioSink. Pause suspends the device mid-word and keeps the ring, so
// Resume goes on from the very sample where it stopped; the volume is
// applied as samples leave the ring, so a change is heard within the
// device's short buffer.
#include "platform/speech/audiosink.h"

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace speech {

class CDeviceFeeder;

class CDeviceSink : public IAudioSink {
 public:
  // Milliseconds the ring and the device's own buffer hold.
  static constexpr int kRingMs = 500;
  static constexpr int kDeviceBufferMs = 150;

  CDeviceSink();
  ~CDeviceSink() override;

  bool IsAvailable() override;
  bool Open(int nSampleRate) override;
  bool Recover() override;
  std::size_t Write(const std::int16_t* pSamples, std::size_t n, bool bWait, const CCancel& cancel) override;
  bool Failed() const override;
  void Pause() override;
  void Resume() override;
  void SetVolume(int nPercent) override;
  void Purge() override;
  void Interrupt() override;
  std::uint64_t Accepted() const override;
  std::uint64_t Heard() const override;

 private:
  friend class CDeviceFeeder;
  // Audio thread: moves what the device can take from the ring.
  std::size_t TakeFromRing(std::int16_t* pOut, std::size_t nMax);
  void SetFailed();
  // With m_openMutex held.
  bool OpenLocked(int nSampleRate);

  mutable std::mutex m_mutex;
  std::condition_variable m_cvSpace;
  std::vector<std::int16_t> m_ring;
  std::size_t m_nHead = 0;
  std::size_t m_nCount = 0;
  int m_nSampleRate = 0;
  bool m_bPaused = false;
  bool m_bFailed = false;
  std::atomic<int> m_nVolume{100};
  // Samples written, moved to the device, and still in the device's buffer.
  std::uint64_t m_nAccepted = 0;
  std::uint64_t m_nTaken = 0;
  std::atomic<std::uint64_t> m_nDeviceFill{0};

  std::mutex m_openMutex;  // the synthesis thread opens, the interface thread releases
  std::unique_ptr<QThread> m_pThread;
  CDeviceFeeder* m_pFeeder = nullptr;  // lives in m_pThread
};

}  // namespace speech
