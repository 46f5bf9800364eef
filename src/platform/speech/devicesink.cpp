#include "platform/speech/devicesink.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>

namespace speech {

// Owns the QAudioSink on the audio thread and feeds it from the ring.
class CDeviceFeeder : public QObject {
 public:
  // The timer is a child, so it moves to the audio thread with us.
  explicit CDeviceFeeder(CDeviceSink* pOwner) : m_pOwner(pOwner), m_timer(this) {
    m_timer.setInterval(10);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CDeviceFeeder::Feed);
  }

  bool OpenDevice(int nSampleRate, bool bPaused) {
    CloseDevice();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return false;
    QAudioFormat format;
    format.setSampleRate(nSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    m_pSink = new QAudioSink(device, format, this);
    m_pSink->setBufferSize(nSampleRate * 2 * CDeviceSink::kDeviceBufferMs / 1000);
    connect(m_pSink, &QAudioSink::stateChanged, this, [this] {
      const QAudio::Error e = m_pSink->error();
      if (e == QAudio::OpenError || e == QAudio::IOError || e == QAudio::FatalError) m_pOwner->SetFailed();
    });
    m_nSampleRate = nSampleRate;
    return Start(bPaused);
  }

  // A device that failed is let go of; a new one is opened in its place.
  void CloseDevice() {
    m_timer.stop();
    m_pIo = nullptr;
    if (!m_pSink) return;
    m_pSink->disconnect(this);
    m_pSink->stop();
    delete m_pSink;
    m_pSink = nullptr;
  }

  void Kick() {
    if (m_pSink && !m_bPaused && !m_timer.isActive()) m_timer.start();
  }

  void Suspend() {
    m_bPaused = true;
    if (m_pSink) m_pSink->suspend();
    m_timer.stop();
  }

  void Unsuspend() {
    m_bPaused = false;
    if (m_pSink) m_pSink->resume();
    Kick();
  }

  // Drops what the device still holds: a new stream starts empty.
  void Drop() {
    if (!m_pSink) return;
    m_pSink->stop();
    Start(m_bPaused);
  }

 private:
  bool Start(bool bPaused) {
    m_pIo = m_pSink->start();
    if (!m_pIo || m_pSink->error() != QAudio::NoError) return false;
    m_bPaused = false;
    if (bPaused)
      Suspend();
    else
      Kick();
    return true;
  }

  void Feed() {
    if (!m_pSink || !m_pIo || m_bPaused) return;
    const qsizetype free = m_pSink->bytesFree() / 2;
    if (free <= 0) return;
    m_buffer.resize(static_cast<std::size_t>(free));
    const std::size_t n = m_pOwner->TakeFromRing(m_buffer.data(), m_buffer.size());
    const qsizetype fill = (m_pSink->bufferSize() - m_pSink->bytesFree()) / 2 + static_cast<qsizetype>(n);
    m_pOwner->m_nDeviceFill = static_cast<std::uint64_t>(std::max<qsizetype>(0, fill));
    if (n == 0) {
      // Write kicks it again; until the device has played out, keep
      // following its position.
      if (fill <= 0) m_timer.stop();
      return;
    }
    const qint64 bytes = static_cast<qint64>(n * 2);
    if (m_pIo->write(reinterpret_cast<const char*>(m_buffer.data()), bytes) != bytes) m_pOwner->SetFailed();
  }

  CDeviceSink* m_pOwner;
  QAudioSink* m_pSink = nullptr;
  QIODevice* m_pIo = nullptr;
  QTimer m_timer;
  int m_nSampleRate = 0;
  bool m_bPaused = false;
  std::vector<std::int16_t> m_buffer;
};

CDeviceSink::CDeviceSink() = default;

CDeviceSink::~CDeviceSink() {
  std::lock_guard open(m_openMutex);
  if (!m_pThread) return;
  CDeviceFeeder* feeder = m_pFeeder;
  // The QAudioSink goes on the thread it was made on.
  QMetaObject::invokeMethod(
      feeder, [feeder] { delete feeder; }, Qt::BlockingQueuedConnection);
  m_pThread->quit();
  m_pThread->wait();
}

bool CDeviceSink::IsAvailable() { return !QMediaDevices::defaultAudioOutput().isNull(); }

bool CDeviceSink::Open(int nSampleRate) {
  std::lock_guard open(m_openMutex);
  return OpenLocked(nSampleRate);
}

bool CDeviceSink::Recover() {
  std::lock_guard open(m_openMutex);
  int rate = 0;
  {
    std::lock_guard lock(m_mutex);
    if (!m_bFailed) return true;
    rate = m_nSampleRate;
  }
  // Never opened at all: the first text's Open tries.
  return rate == 0 || OpenLocked(rate);
}

bool CDeviceSink::OpenLocked(int nSampleRate) {
  {
    std::lock_guard lock(m_mutex);
    // A failed device is opened afresh: the sound server may be back.
    if (m_pThread && nSampleRate == m_nSampleRate && !m_bFailed) return true;
    m_ring.assign(static_cast<std::size_t>(nSampleRate) * kRingMs / 1000, 0);
    m_nHead = m_nCount = 0;
    m_nAccepted = m_nTaken;
    m_nDeviceFill = 0;
  }
  if (!m_pThread) {
    m_pThread = std::make_unique<QThread>();
    m_pThread->setObjectName(QStringLiteral("speech audio"));
    m_pFeeder = new CDeviceFeeder(this);
    m_pFeeder->moveToThread(m_pThread.get());
    m_pThread->start();
  }
  bool paused = false;
  {
    std::lock_guard lock(m_mutex);
    paused = m_bPaused;
  }
  bool ok = false;
  CDeviceFeeder* feeder = m_pFeeder;
  QMetaObject::invokeMethod(
      feeder, [&] { ok = feeder->OpenDevice(nSampleRate, paused); }, Qt::BlockingQueuedConnection);
  std::lock_guard lock(m_mutex);
  m_nSampleRate = nSampleRate;
  // Whatever the old device said before it went is past.
  m_bFailed = !ok;
  return ok;
}

std::size_t CDeviceSink::Write(const std::int16_t* pSamples, std::size_t n, bool bWait,
                               const CCancel& cancel) {
  std::size_t done = 0;
  bool kick = false;
  {
    std::unique_lock lock(m_mutex);
    while (done < n && !m_bFailed && !m_ring.empty()) {
      // A purge empties the ring: a cancelled writer must not refill it
      // with the text that was dropped.
      if (cancel.IsSet()) break;
      const std::size_t space = m_ring.size() - m_nCount;
      if (space == 0) {
        if (!bWait) break;
        m_cvSpace.wait(lock);
        continue;
      }
      const std::size_t k = std::min(space, n - done);
      for (std::size_t i = 0; i < k; ++i)
        m_ring[(m_nHead + m_nCount + i) % m_ring.size()] = pSamples[done + i];
      kick = kick || m_nCount == 0;
      m_nCount += k;
      m_nAccepted += k;
      done += k;
    }
  }
  if (kick && m_pFeeder) {
    CDeviceFeeder* feeder = m_pFeeder;
    QMetaObject::invokeMethod(
        feeder, [feeder] { feeder->Kick(); }, Qt::QueuedConnection);
  }
  return done;
}

std::size_t CDeviceSink::TakeFromRing(std::int16_t* pOut, std::size_t nMax) {
  std::lock_guard lock(m_mutex);
  const std::size_t n = std::min(nMax, m_nCount);
  for (std::size_t i = 0; i < n; ++i) pOut[i] = m_ring[(m_nHead + i) % m_ring.size()];
  if (n > 0) {
    m_nHead = (m_nHead + n) % m_ring.size();
    m_nCount -= n;
    m_nTaken += n;
    m_cvSpace.notify_all();
  }
  ApplyVolume(pOut, pOut, n, m_nVolume.load());
  return n;
}

bool CDeviceSink::Failed() const {
  std::lock_guard lock(m_mutex);
  return m_bFailed;
}

void CDeviceSink::SetFailed() {
  std::lock_guard lock(m_mutex);
  m_bFailed = true;
  m_cvSpace.notify_all();
}

void CDeviceSink::Pause() {
  std::lock_guard open(m_openMutex);
  {
    std::lock_guard lock(m_mutex);
    m_bPaused = true;
  }
  if (CDeviceFeeder* feeder = m_pFeeder)
    QMetaObject::invokeMethod(
        feeder, [feeder] { feeder->Suspend(); }, Qt::QueuedConnection);
}

void CDeviceSink::Resume() {
  std::lock_guard open(m_openMutex);
  {
    std::lock_guard lock(m_mutex);
    m_bPaused = false;
  }
  if (CDeviceFeeder* feeder = m_pFeeder)
    QMetaObject::invokeMethod(
        feeder, [feeder] { feeder->Unsuspend(); }, Qt::QueuedConnection);
}

void CDeviceSink::SetVolume(int nPercent) { m_nVolume = std::clamp(nPercent, 0, 100); }

void CDeviceSink::Purge() {
  std::lock_guard open(m_openMutex);
  {
    std::lock_guard lock(m_mutex);
    m_nHead = m_nCount = 0;
    // The device's buffer goes too: what was heard stays the count.
    m_nTaken -= std::min<std::uint64_t>(m_nTaken, m_nDeviceFill.exchange(0));
    m_nAccepted = m_nTaken;
    m_cvSpace.notify_all();
  }
  if (CDeviceFeeder* feeder = m_pFeeder)
    QMetaObject::invokeMethod(
        feeder, [feeder] { feeder->Drop(); }, Qt::QueuedConnection);
}

std::uint64_t CDeviceSink::Accepted() const {
  std::lock_guard lock(m_mutex);
  return m_nAccepted;
}

std::uint64_t CDeviceSink::Heard() const {
  std::lock_guard lock(m_mutex);
  return m_nTaken - std::min<std::uint64_t>(m_nTaken, m_nDeviceFill.load());
}

void CDeviceSink::Interrupt() {
  std::lock_guard lock(m_mutex);
  m_cvSpace.notify_all();
}

}  // namespace speech
