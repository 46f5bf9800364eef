// The main frame's speech settings command: the settings box, then what OK
// chose applied to the voice and stored in setting.ini.
#include "frame/mainframe.h"
#include "speech/speechsettingsdialog.h"
#include "speech/voiceglobals.h"

namespace frame {

using namespace speech;

void CMainFrame::OnSpeechSettings() {
  CSpeechSettingsDialog dlg;
  // Cancel: the volume and rate the box applied when it opened stay.
  if (dlg.DoModal() != IDOK) return;

  g_nVolume = dlg.m_nVolume;
  m_nRate = dlg.m_nRate;
  // The list's references go with the box; the frame keeps its own.
  m_pVoiceToken = CRef<ISpObjectToken>(dlg.m_pVoiceToken);
  if (g_pVoice) {
    g_pVoice->SetVolume(static_cast<std::uint16_t>(g_nVolume & 0xFFFF));
    g_pVoice->SetRate(m_nRate);
    // Null: the engine's default voice.
    g_pVoice->SetVoice(m_pVoiceToken.get());
  }
  SaveSpeechSettings();
}

}  // namespace frame
