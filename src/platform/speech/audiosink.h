#pragma once
// Where synthesised speech goes: 16-bit mono PCM written by the voice's
// synthesis thread. A sink plays (or keeps) what it accepts, applies the
// volume as it does so, and stops accepting while paused, so pausing and
// resuming never loses or repeats a sample.
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace speech {

// Set by whoever abandons a write (purge, release); the sink re-checks it
// while it waits, so a waiting writer is never stranded.
struct CCancel {
  const std::atomic<std::uint32_t>* pGeneration = nullptr;
  std::uint32_t nGeneration = 0;
  bool IsSet() const { return pGeneration && pGeneration->load() != nGeneration; }
};

class IAudioSink {
 public:
  virtual ~IAudioSink() = default;

  // Interface thread: whether there is anything to play on at all.
  virtual bool IsAvailable() { return true; }

  // Synthesis thread. Open before writing; the same rate again is free.
  virtual bool Open(int nSampleRate) = 0;
  // Accepts up to n samples and answers how many. With bWait it returns only
  // when all are taken, the writer is cancelled or the sink has failed;
  // without, it takes what fits now.
  virtual std::size_t Write(const std::int16_t* pSamples, std::size_t n, bool bWait,
                            const CCancel& cancel) = 0;
  virtual bool Failed() const { return false; }
  // Interface thread: a sink that failed tries to open its output again;
  // false when it still cannot play.
  virtual bool Recover() { return !Failed(); }

  // Samples taken by Write so far, and how many of them have been heard; a
  // purge makes the dropped ones count as never taken. Any thread.
  virtual std::uint64_t Accepted() const = 0;
  virtual std::uint64_t Heard() const = 0;

  // Any thread.
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual void SetVolume(int nPercent) = 0;
  // Drops what is accepted but not yet played.
  virtual void Purge() {}
  // Wakes a waiting writer to look at its cancel flag.
  virtual void Interrupt() = 0;
};

// Plays at once whatever it is given, unless paused or up to a limit: the
// base of the sinks that keep the PCM rather than sound it.
class CImmediateSink : public IAudioSink {
 public:
  bool Open(int nSampleRate) override;
  std::size_t Write(const std::int16_t* pSamples, std::size_t n, bool bWait, const CCancel& cancel) override;
  void Pause() override;
  void Resume() override;
  void SetVolume(int nPercent) override;
  void Interrupt() override;
  std::uint64_t Accepted() const override { return Position(); }
  std::uint64_t Heard() const override { return Position(); }

  int SampleRate() const;
  // Samples played so far.
  std::uint64_t Position() const;
  // Plays no further than this position until raised (a device that has not
  // got there yet); none by default.
  void SetLimit(std::optional<std::uint64_t> nLimit);
  // True while a writer waits for the pause or the limit.
  bool IsWriterWaiting() const;
  // When the first sample was played.
  std::optional<std::chrono::steady_clock::time_point> FirstWriteTime() const;

 protected:
  // Called under the lock with samples the volume has been applied to.
  virtual void Consume(const std::int16_t* pSamples, std::size_t n) = 0;

  mutable std::mutex m_mutex;

 private:
  std::condition_variable m_cvSpace;
  int m_nSampleRate = 0;
  int m_nVolume = 100;
  bool m_bPaused = false;
  bool m_bWriterWaiting = false;
  std::uint64_t m_nPosition = 0;
  std::optional<std::uint64_t> m_nLimit;
  std::optional<std::chrono::steady_clock::time_point> m_firstWrite;
  std::vector<std::int16_t> m_scaled;
};

// Keeps the PCM in memory (or only counts it, for long texts).
class CMemorySink : public CImmediateSink {
 public:
  explicit CMemorySink(bool bKeep = true) : m_bKeep(bKeep) {}
  std::vector<std::int16_t> Samples() const;
  void Clear();

 protected:
  void Consume(const std::int16_t* pSamples, std::size_t n) override;

 private:
  bool m_bKeep;
  std::vector<std::int16_t> m_samples;
};

// Writes a RIFF/WAVE file; the header's sizes are filled in when it closes.
class CWavFileSink : public CImmediateSink {
 public:
  explicit CWavFileSink(const QString& path);
  ~CWavFileSink() override;
  bool Open(int nSampleRate) override;
  bool Failed() const override;

 protected:
  void Consume(const std::int16_t* pSamples, std::size_t n) override;

 private:
  void WriteHeader();
  QFile m_file;
  std::uint32_t m_nRate = 0;
  std::uint32_t m_nDataBytes = 0;
  bool m_bFailed = false;
};

// Scales samples by a volume of 0..100.
void ApplyVolume(const std::int16_t* pIn, std::int16_t* pOut, std::size_t n, int nPercent);

}  // namespace speech
