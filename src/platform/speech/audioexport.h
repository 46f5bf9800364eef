#pragma once
// Saving speech to a sound file: a voice of its own renders the text into a
// file sink on its synthesis thread, as fast as the synthesisers go, while
// the interface thread asks how far it has got. The sound goes to a
// temporary file beside the target, which takes the target's name only once
// it is complete, so a cancelled or failed export leaves nothing behind.
#include "platform/speech/filesink.h"
#include "platform/speech/speechapi.h"

#include <QString>

#include <memory>
#include <string>

class QTemporaryFile;

namespace speech {

struct SSpeechExportRequest {
  QString strTarget;
  SoundFileFormat format = SoundFileFormat::Wav;
  std::u16string strText;
  CRef<ISpObjectToken> pVoice;  // null: the default voice
  int nRate = 0;
  int nVolume = 100;
};

// Interface thread only; the speech runtime must be started on it.
class CSpeechExport {
 public:
  explicit CSpeechExport(SSpeechExportRequest request);
  // An export still running is cancelled.
  ~CSpeechExport();
  CSpeechExport(const CSpeechExport&) = delete;
  CSpeechExport& operator=(const CSpeechExport&) = delete;

  // Makes the temporary file and queues the text; false (Error says why)
  // when that cannot be done.
  bool Start();
  bool IsRunning() const;
  // How much of the text has been rendered, 0..1.
  double Progress() const;
  // Once it no longer runs: completes the file under the target's name.
  bool Finish();
  // Stops the rendering and removes what was written.
  void Cancel();
  QString Error() const { return m_strError; }
  // Seconds of sound rendered so far.
  double Seconds() const;

 private:
  void Discard();

  SSpeechExportRequest m_request;
  std::unique_ptr<QTemporaryFile> m_pTemp;
  std::shared_ptr<CSoundFileSink> m_pSink;
  CRef<ISpVoice> m_pVoice;
  bool m_bFinished = false;
  QString m_strError;
};

}  // namespace speech
