#pragma once
// Writes the speech into a sound file in one of the formats a learner can
// take away: WAV, FLAC, Ogg Vorbis or MP3. The file is made when the voice
// opens the sink and is complete only after Close.
#include "platform/speech/audiosink.h"

#include <QString>

#include <optional>

struct sf_private_tag;

namespace speech {

enum class SoundFileFormat { Wav, Flac, OggVorbis, Mp3 };

// The format a file name's extension stands for (.wav, .flac, .ogg/.oga, .mp3).
std::optional<SoundFileFormat> SoundFileFormatOf(const QString& path);
// The usual extension, without the dot.
QString SoundFileExtension(SoundFileFormat format);

class CSoundFileSink : public CImmediateSink {
 public:
  CSoundFileSink(const QString& path, SoundFileFormat format);
  ~CSoundFileSink() override;
  bool Open(int nSampleRate) override;
  bool Failed() const override;

  // Finishes the file (encoders flush here). False when any write failed.
  bool Close();
  // Why the file could not be made or written, in the library's words.
  QString ErrorString() const;

 protected:
  void Consume(const std::int16_t* pSamples, std::size_t n) override;

 private:
  void FailLocked(const QString& why);

  QString m_strPath;
  SoundFileFormat m_format;
  sf_private_tag* m_pFile = nullptr;
  bool m_bFailed = false;
  QString m_strError;
};

}  // namespace speech
