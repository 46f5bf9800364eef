#include "platform/speech/filesink.h"

#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

namespace speech {

namespace {

int SndFormat(SoundFileFormat format) {
  switch (format) {
    case SoundFileFormat::Wav: return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    case SoundFileFormat::Flac: return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case SoundFileFormat::OggVorbis: return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case SoundFileFormat::Mp3: return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  }
  return 0;
}

}  // namespace

std::optional<SoundFileFormat> SoundFileFormatOf(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  if (ext == u"wav") return SoundFileFormat::Wav;
  if (ext == u"flac") return SoundFileFormat::Flac;
  if (ext == u"ogg" || ext == u"oga") return SoundFileFormat::OggVorbis;
  if (ext == u"mp3") return SoundFileFormat::Mp3;
  return std::nullopt;
}

QString SoundFileExtension(SoundFileFormat format) {
  switch (format) {
    case SoundFileFormat::Wav: return QStringLiteral("wav");
    case SoundFileFormat::Flac: return QStringLiteral("flac");
    case SoundFileFormat::OggVorbis: return QStringLiteral("ogg");
    case SoundFileFormat::Mp3: return QStringLiteral("mp3");
  }
  return {};
}

CSoundFileSink::CSoundFileSink(const QString& path, SoundFileFormat format)
    : m_strPath(path), m_format(format) {}

CSoundFileSink::~CSoundFileSink() { Close(); }

bool CSoundFileSink::Open(int nSampleRate) {
  if (!CImmediateSink::Open(nSampleRate)) return false;
  std::lock_guard lock(m_mutex);
  if (m_bFailed) return false;
  // One file per sink: a later text of the same export goes on in it.
  if (m_pFile) return true;
  SF_INFO info{};
  info.samplerate = nSampleRate;
  info.channels = 1;
  info.format = SndFormat(m_format);
  if (!sf_format_check(&info)) {
    FailLocked(QStringLiteral("不支持的声音格式"));
    return false;
  }
  m_pFile = sf_open(QFile::encodeName(m_strPath).constData(), SFM_WRITE, &info);
  if (!m_pFile) {
    FailLocked(QString::fromLocal8Bit(sf_strerror(nullptr)));
    return false;
  }
  return true;
}

bool CSoundFileSink::Failed() const {
  std::lock_guard lock(m_mutex);
  return m_bFailed;
}

bool CSoundFileSink::Close() {
  std::lock_guard lock(m_mutex);
  if (m_pFile) {
    if (sf_close(m_pFile) != 0 && !m_bFailed) FailLocked(QStringLiteral("无法完成文件"));
    m_pFile = nullptr;
  }
  return !m_bFailed;
}

QString CSoundFileSink::ErrorString() const {
  std::lock_guard lock(m_mutex);
  return m_strError;
}

void CSoundFileSink::Consume(const std::int16_t* pSamples, std::size_t n) {
  if (!m_pFile || m_bFailed) return;
  const auto count = static_cast<sf_count_t>(n);
  if (sf_write_short(m_pFile, pSamples, count) != count)
    FailLocked(QString::fromLocal8Bit(sf_strerror(m_pFile)));
}

void CSoundFileSink::FailLocked(const QString& why) {
  m_bFailed = true;
  if (m_strError.isEmpty()) m_strError = why;
}

}  // namespace speech
