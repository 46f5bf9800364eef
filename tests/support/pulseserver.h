#pragma once
// A sound server for the tests that need real sound: the one PULSE_SERVER
// names when it answers (tools/test starts one), otherwise a private
// PulseAudio with a null sink in a temporary folder, stopped again at the
// end. Works as root and without a session bus.
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <vector>

namespace testing_support {

class CPulseServer {
 public:
  CPulseServer() = default;
  ~CPulseServer();
  CPulseServer(const CPulseServer&) = delete;
  CPulseServer& operator=(const CPulseServer&) = delete;

  // Finds or starts a server and points PULSE_SERVER at it; false with the
  // reason when neither works.
  bool Start(QString* pError);
  void Stop();
  // Starts a server of our own again on the same address, as a sound
  // server restarted under a running program; false for one found running.
  bool Restart(QString* pError);
  bool IsOwn() const { return m_pDir != nullptr; }
  // The server's address, "unix:/…/native".
  QString Address() const { return m_strAddress; }

  // True when a server answers at address (pactl info), within a second or so.
  static bool Answers(const QString& address);

 private:
  bool Launch(QString* pError);
  std::unique_ptr<QTemporaryDir> m_pDir;
  std::unique_ptr<QProcess> m_pDaemon;
  QString m_strAddress;
};

// Records what the server's default sink plays (its monitor) as 16-bit mono
// PCM at the given rate, through parec.
class CMonitorRecorder {
 public:
  explicit CMonitorRecorder(int nSampleRate = 22050) : m_nSampleRate(nSampleRate) {}
  ~CMonitorRecorder();
  bool Start(QString* pError);
  // Reads what has arrived; the samples so far.
  const std::vector<std::int16_t>& Samples();
  // The loudest sample among the last ms milliseconds recorded.
  int PeakOfLast(int ms);
  int SampleRate() const { return m_nSampleRate; }

 private:
  int m_nSampleRate;
  QProcess m_process;
  QByteArray m_partial;
  std::vector<std::int16_t> m_samples;
};

}  // namespace testing_support
