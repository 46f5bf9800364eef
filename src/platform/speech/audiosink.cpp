#include "platform/speech/audiosink.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace speech {

void ApplyVolume(const std::int16_t* pIn, std::int16_t* pOut, std::size_t n, int nPercent) {
  if (nPercent >= 100) {
    std::copy(pIn, pIn + n, pOut);
    return;
  }
  for (std::size_t i = 0; i < n; ++i) pOut[i] = static_cast<std::int16_t>(pIn[i] * nPercent / 100);
}

bool CImmediateSink::Open(int nSampleRate) {
  std::lock_guard lock(m_mutex);
  m_nSampleRate = nSampleRate;
  return true;
}

std::size_t CImmediateSink::Write(const std::int16_t* pSamples, std::size_t n, bool bWait,
                                  const CCancel& cancel) {
  std::unique_lock lock(m_mutex);
  std::size_t done = 0;
  while (done < n) {
    const bool blocked = m_bPaused || (m_nLimit && m_nPosition >= *m_nLimit);
    if (blocked) {
      if (!bWait || cancel.IsSet()) break;
      m_bWriterWaiting = true;
      m_cvSpace.wait(lock);
      m_bWriterWaiting = false;
      continue;
    }
    std::size_t k = n - done;
    if (m_nLimit) k = std::min<std::size_t>(k, *m_nLimit - m_nPosition);
    m_scaled.resize(k);
    ApplyVolume(pSamples + done, m_scaled.data(), k, m_nVolume);
    if (!m_firstWrite) m_firstWrite = std::chrono::steady_clock::now();
    Consume(m_scaled.data(), k);
    m_nPosition += k;
    done += k;
  }
  return done;
}

void CImmediateSink::Pause() {
  std::lock_guard lock(m_mutex);
  m_bPaused = true;
}

void CImmediateSink::Resume() {
  std::lock_guard lock(m_mutex);
  m_bPaused = false;
  // The writer is free to go: a caller asking right away must not see it
  // still waiting before it has woken.
  if (!m_nLimit || *m_nLimit > m_nPosition) m_bWriterWaiting = false;
  m_cvSpace.notify_all();
}

void CImmediateSink::SetVolume(int nPercent) {
  std::lock_guard lock(m_mutex);
  m_nVolume = std::clamp(nPercent, 0, 100);
}

void CImmediateSink::Interrupt() {
  std::lock_guard lock(m_mutex);
  m_cvSpace.notify_all();
}

int CImmediateSink::SampleRate() const {
  std::lock_guard lock(m_mutex);
  return m_nSampleRate;
}

std::uint64_t CImmediateSink::Position() const {
  std::lock_guard lock(m_mutex);
  return m_nPosition;
}

void CImmediateSink::SetLimit(std::optional<std::uint64_t> nLimit) {
  std::lock_guard lock(m_mutex);
  m_nLimit = nLimit;
  if (!m_bPaused && (!m_nLimit || *m_nLimit > m_nPosition)) m_bWriterWaiting = false;
  m_cvSpace.notify_all();
}

bool CImmediateSink::IsWriterWaiting() const {
  std::lock_guard lock(m_mutex);
  return m_bWriterWaiting;
}

std::optional<std::chrono::steady_clock::time_point> CImmediateSink::FirstWriteTime() const {
  std::lock_guard lock(m_mutex);
  return m_firstWrite;
}

std::vector<std::int16_t> CMemorySink::Samples() const {
  std::lock_guard lock(m_mutex);
  return m_samples;
}

void CMemorySink::Clear() {
  std::lock_guard lock(m_mutex);
  m_samples.clear();
}

void CMemorySink::Consume(const std::int16_t* pSamples, std::size_t n) {
  if (m_bKeep) m_samples.insert(m_samples.end(), pSamples, pSamples + n);
}

CWavFileSink::CWavFileSink(const QString& path) : m_file(path) {}

CWavFileSink::~CWavFileSink() {
  std::lock_guard lock(m_mutex);
  if (m_file.isOpen()) {
    WriteHeader();
    m_file.close();
  }
}

bool CWavFileSink::Open(int nSampleRate) {
  if (!CImmediateSink::Open(nSampleRate)) return false;
  std::lock_guard lock(m_mutex);
  m_nRate = static_cast<std::uint32_t>(nSampleRate);
  if (m_file.isOpen()) return !m_bFailed;
  if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    m_bFailed = true;
    return false;
  }
  WriteHeader();
  return !m_bFailed;
}

bool CWavFileSink::Failed() const {
  std::lock_guard lock(m_mutex);
  return m_bFailed;
}

void CWavFileSink::Consume(const std::int16_t* pSamples, std::size_t n) {
  if (!m_file.isOpen() || m_bFailed) return;
  std::vector<std::int16_t> le(pSamples, pSamples + n);
  for (std::int16_t& s : le) s = qToLittleEndian(s);
  const qint64 bytes = static_cast<qint64>(n * sizeof(std::int16_t));
  if (m_file.write(reinterpret_cast<const char*>(le.data()), bytes) != bytes) m_bFailed = true;
  m_nDataBytes += static_cast<std::uint32_t>(bytes);
}

void CWavFileSink::WriteHeader() {
  // 44-byte canonical header: PCM, mono, 16 bits.
  const std::uint32_t rate = m_nRate;
  unsigned char h[44];
  const auto put32 = [&](int at, std::uint32_t v) { qToLittleEndian(v, h + at); };
  const auto put16 = [&](int at, std::uint16_t v) { qToLittleEndian(v, h + at); };
  std::memcpy(h, "RIFF", 4);
  put32(4, 36 + m_nDataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, 1);
  put32(24, rate);
  put32(28, rate * 2);
  put16(32, 2);
  put16(34, 16);
  std::memcpy(h + 36, "data", 4);
  put32(40, m_nDataBytes);
  const qint64 at = m_file.pos();
  if (!m_file.seek(0) || m_file.write(reinterpret_cast<const char*>(h), 44) != 44) m_bFailed = true;
  if (at > 44) m_file.seek(at);
}

}  // namespace speech
