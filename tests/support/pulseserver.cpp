#include "support/pulseserver.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QThread>

#include <algorithm>
#include <cstdlib>

namespace testing_support {

namespace {

QProcessEnvironment ClientEnvironment(const QString& address) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("PULSE_SERVER"), address);
  return env;
}

}  // namespace

bool CPulseServer::Answers(const QString& address) {
  QProcess pactl;
  pactl.setProcessEnvironment(ClientEnvironment(address));
  pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
  if (!pactl.waitForFinished(3000)) {
    pactl.kill();
    pactl.waitForFinished(1000);
    return false;
  }
  return pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

CPulseServer::~CPulseServer() { Stop(); }

bool CPulseServer::Start(QString* pError) {
  const QString given = qEnvironmentVariable("PULSE_SERVER");
  if (!given.isEmpty() && Answers(given)) {
    m_strAddress = given;
    return true;
  }

  m_pDir = std::make_unique<QTemporaryDir>();
  if (!m_pDir->isValid()) {
    if (pError) *pError = QStringLiteral("no temporary folder");
    return false;
  }
  m_strAddress = QStringLiteral("unix:") + m_pDir->path() + QStringLiteral("/native");
  if (!Launch(pError)) return false;
  qputenv("PULSE_SERVER", m_strAddress.toLocal8Bit());
  return true;
}

bool CPulseServer::Launch(QString* pError) {
  const QString dir = m_pDir->path();
  // Everything the daemon keeps goes to the private folder; no session bus,
  // no hardware modules, no idle exit.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
  env.remove(QStringLiteral("PULSE_SERVER"));
  env.insert(QStringLiteral("HOME"), dir);
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
  env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir + QStringLiteral("/run"));
  env.insert(QStringLiteral("PULSE_STATE_PATH"), dir + QStringLiteral("/state"));
  m_pDaemon = std::make_unique<QProcess>();
  m_pDaemon->setProcessEnvironment(env);
  m_pDaemon->setProcessChannelMode(QProcess::MergedChannels);
  m_pDaemon->start(
      QStringLiteral("pulseaudio"),
      {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
       QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-target=stderr"), QStringLiteral("-L"),
       QStringLiteral("module-null-sink sink_name=lexiphon_null"), QStringLiteral("-L"),
       QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + dir +
           QStringLiteral("/native")});
  if (!m_pDaemon->waitForStarted(5000)) {
    if (pError) *pError = QStringLiteral("pulseaudio does not start: ") + m_pDaemon->errorString();
    m_pDaemon.reset();
    return false;
  }
  const QDeadlineTimer deadline(15000);
  while (!Answers(m_strAddress)) {
    if (m_pDaemon->state() != QProcess::Running || deadline.hasExpired()) {
      if (pError)
        *pError =
            QStringLiteral("pulseaudio does not answer: ") + QString::fromLocal8Bit(m_pDaemon->readAll());
      Stop();
      return false;
    }
    m_pDaemon->waitForReadyRead(100);
  }
  return true;
}

bool CPulseServer::Restart(QString* pError) {
  if (!m_pDir) {
    if (pError) *pError = QStringLiteral("the server is not ours to restart");
    return false;
  }
  Stop();
  return Launch(pError);
}

void CPulseServer::Stop() {
  if (!m_pDaemon) return;
  m_pDaemon->terminate();
  if (!m_pDaemon->waitForFinished(5000)) {
    m_pDaemon->kill();
    m_pDaemon->waitForFinished(2000);
  }
  m_pDaemon.reset();
}

CMonitorRecorder::~CMonitorRecorder() {
  if (m_process.state() == QProcess::NotRunning) return;
  m_process.kill();
  m_process.waitForFinished(2000);
}

bool CMonitorRecorder::Start(QString* pError) {
  m_process.start(
      QStringLiteral("parec"),
      {QStringLiteral("-d"), QStringLiteral("@DEFAULT_MONITOR@"), QStringLiteral("--raw"),
       QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
       QStringLiteral("--rate=") + QString::number(m_nSampleRate), QStringLiteral("--latency-msec=20")});
  if (!m_process.waitForStarted(5000)) {
    if (pError) *pError = QStringLiteral("parec does not start: ") + m_process.errorString();
    return false;
  }
  return true;
}

const std::vector<std::int16_t>& CMonitorRecorder::Samples() {
  m_partial += m_process.readAllStandardOutput();
  const qsizetype whole = m_partial.size() / 2 * 2;
  for (qsizetype i = 0; i < whole; i += 2) {
    const auto lo = static_cast<std::uint8_t>(m_partial[i]);
    const auto hi = static_cast<std::uint8_t>(m_partial[i + 1]);
    m_samples.push_back(static_cast<std::int16_t>(lo | (hi << 8)));
  }
  m_partial.remove(0, whole);
  return m_samples;
}

int CMonitorRecorder::PeakOfLast(int ms) {
  const std::vector<std::int16_t>& s = Samples();
  const std::size_t n =
      std::min(s.size(), static_cast<std::size_t>(m_nSampleRate) * static_cast<std::size_t>(ms) / 1000);
  int peak = 0;
  for (std::size_t i = s.size() - n; i < s.size(); ++i)
    peak = std::max(peak, std::abs(static_cast<int>(s[i])));
  return peak;
}

}  // namespace testing_support
