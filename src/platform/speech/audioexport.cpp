#include "platform/speech/audioexport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace speech {

namespace {

// What a file made with open(2) would get: 0666 less the umask. Read from
// /proc, since setting the umask to learn it races with other threads.
QFileDevice::Permissions DefaultPermissions() {
  mode_t mask = 022;
  QFile status(QStringLiteral("/proc/self/status"));
  if (status.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : status.readAll().split('\n')) {
      if (!line.startsWith("Umask:")) continue;
      bool ok = false;
      const uint v = line.mid(6).trimmed().toUInt(&ok, 8);
      if (ok) mask = static_cast<mode_t>(v);
    }
  }
  const mode_t mode = 0666 & ~mask;
  QFileDevice::Permissions p;
  if (mode & S_IRUSR) p |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
  if (mode & S_IWUSR) p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
  if (mode & S_IRGRP) p |= QFileDevice::ReadGroup;
  if (mode & S_IWGRP) p |= QFileDevice::WriteGroup;
  if (mode & S_IROTH) p |= QFileDevice::ReadOther;
  if (mode & S_IWOTH) p |= QFileDevice::WriteOther;
  return p;
}

}  // namespace

CSpeechExport::CSpeechExport(SSpeechExportRequest request) : m_request(std::move(request)) {}

CSpeechExport::~CSpeechExport() {
  if (!m_bFinished) Cancel();
}

bool CSpeechExport::Start() {
  const QFileInfo target(m_request.strTarget);
  const QString folder = target.absolutePath();
  if (!QFileInfo(folder).isDir()) {
    m_strError = QStringLiteral("文件夹“%1”不存在。").arg(QDir::toNativeSeparators(folder));
    return false;
  }
  m_pTemp = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/.") + target.fileName() +
                                             QStringLiteral(".XXXXXX"));
  if (!m_pTemp->open()) {
    m_strError = QStringLiteral("无法在文件夹“%1”中建立文件：%2")
                     .arg(QDir::toNativeSeparators(folder), m_pTemp->errorString());
    m_pTemp.reset();
    return false;
  }
  m_pTemp->close();

  m_pSink = std::make_shared<CSoundFileSink>(m_pTemp->fileName(), m_request.format);
  HRESULT hr =
      CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&m_pVoice));
  if (SUCCEEDED(hr)) hr = m_pVoice->SetOutput(m_pSink);
  if (SUCCEEDED(hr)) hr = m_pVoice->SetVoice(m_request.pVoice.get());
  if (SUCCEEDED(hr)) hr = m_pVoice->SetRate(m_request.nRate);
  if (SUCCEEDED(hr))
    hr = m_pVoice->SetVolume(static_cast<std::uint16_t>(std::clamp(m_request.nVolume, 0, 100)));
  if (SUCCEEDED(hr)) hr = m_pVoice->Speak(m_request.strText.c_str(), SPF_ASYNC, nullptr);
  if (FAILED(hr)) {
    m_strError = hr == SPERR_NOT_FOUND ? QStringLiteral("所选的声音无法使用。")
                                       : QStringLiteral("语音引擎无法启动（错误 0x%1）。")
                                             .arg(static_cast<std::uint32_t>(hr), 8, 16, QLatin1Char('0'));
    Discard();
    return false;
  }
  return true;
}

bool CSpeechExport::IsRunning() const { return m_pVoice && m_pVoice->WaitUntilDone(0) != S_OK; }

double CSpeechExport::Progress() const {
  if (!m_pVoice || m_request.strText.empty()) return 0;
  if (!IsRunning()) return 1;
  SPVOICESTATUS status;
  if (FAILED(m_pVoice->GetStatus(&status))) return 0;
  return std::min(1.0, static_cast<double>(status.ulInputWordPos + status.ulInputWordLen) /
                           static_cast<double>(m_request.strText.size()));
}

double CSpeechExport::Seconds() const {
  if (!m_pSink || m_pSink->SampleRate() <= 0) return 0;
  return static_cast<double>(m_pSink->Position()) / m_pSink->SampleRate();
}

bool CSpeechExport::Finish() {
  if (m_bFinished) return m_strError.isEmpty();
  if (!m_pVoice) {
    if (m_strError.isEmpty()) m_strError = QStringLiteral("没有开始保存。");
    return false;
  }
  m_pVoice->WaitUntilDone(0xFFFFFFFF);
  // The voice's thread ends with it, so nothing writes while the file closes.
  m_pVoice.Release();
  const bool written = m_pSink->Position() > 0;
  if (!m_pSink->Close()) {
    m_strError = QStringLiteral("写入声音文件时出错：%1").arg(m_pSink->ErrorString());
  } else if (!written) {
    m_strError = QStringLiteral("这段文字没有可以保存的语音。");
  } else {
    const QByteArray from = QFile::encodeName(m_pTemp->fileName());
    const QByteArray to = QFile::encodeName(QFileInfo(m_request.strTarget).absoluteFilePath());
    m_pTemp->setPermissions(DefaultPermissions());
    // rename(2) replaces an existing file in one step, unlike QFile::rename.
    if (std::rename(from.constData(), to.constData()) == 0) {
      m_pTemp->setAutoRemove(false);
    } else {
      m_strError = QStringLiteral("无法写入文件“%1”：%2")
                       .arg(QDir::toNativeSeparators(m_request.strTarget),
                            QString::fromLocal8Bit(std::strerror(errno)));
    }
  }
  const bool ok = m_strError.isEmpty();
  if (!ok) Discard();
  m_bFinished = true;
  m_pSink.reset();
  m_pTemp.reset();
  return ok;
}

void CSpeechExport::Cancel() {
  if (m_pVoice) m_pVoice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
  Discard();
  m_bFinished = true;
}

void CSpeechExport::Discard() {
  m_pVoice.Release();
  if (m_pSink) m_pSink->Close();
  m_pSink.reset();
  if (m_pTemp) m_pTemp->remove();
  m_pTemp.reset();
}

}  // namespace speech
