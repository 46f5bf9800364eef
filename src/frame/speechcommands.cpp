// The main frame's speech: the voice's life with the frame, Speak (which
// also resumes), Pause, and the settings box with what its OK chose.
#include "frame/mainframe.h"
#include "framework/msgbox.h"
#include "panes/lexiphonview.h"
#include "platform/speech/speechapi.h"
#include "speech/speechsettingsdialog.h"
#include "speech/speechsettings.h"
#include "speech/voiceglobals.h"
#include "speech/voicelist.h"
#include "text/codepage.h"

#include <QTimer>

#include <climits>

namespace frame {

using namespace speech;

bool CMainFrame::PreCreateSpeech() {
  g_pVoice.Release();
  // Any success counts, "already started" included; each is stopped again.
  if (FAILED(CoInitialize(nullptr))) return false;
  ++m_nSpeechInits;

  const SpeechSettings settings = LoadSpeechSettings();
  // A volume never set would make a new user's first Speak silent.
  g_nVolume = EffectiveVolume(settings.nVolume);
  m_nRate = settings.nRate;
  m_strVoiceId = settings.strVoice;
  m_bVoicePending = !m_strVoiceId.empty();

  g_hrSpeech =
      CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, reinterpret_cast<void**>(&g_pVoice));
  // Only exactly S_OK: the framework then says "建立空文档失败。" once.
  if (g_hrSpeech != S_OK) return false;

  g_pVoice->SetVolume(static_cast<std::uint16_t>(g_nVolume & 0xFFFF));
  g_pVoice->SetRate(m_nRate);
  return true;
}

void CMainFrame::ReleaseSpeech() {
  // The runtime stays up as long as the voice exists.
  g_pVoice.Release();
  for (; m_nSpeechInits > 0; --m_nSpeechInits) CoUninitialize();
}

void CMainFrame::ApplyStoredVoice() {
  if (!m_bVoicePending || !g_pVoice) return;
  m_bVoicePending = false;
  CRef<ISpObjectToken> token;
  if (SUCCEEDED(FindVoiceToken(SPCAT_VOICES, m_strVoiceId, &token)) && SUCCEEDED(g_pVoice->SetVoice(token.get()))) {
    m_pVoiceToken = std::move(token);
    return;
  }
  // Uninstalled since, or the file edited by hand: the key stays in the
  // file until another voice is chosen.
  m_strVoiceId.clear();
}

CRef<ISpObjectToken> CMainFrame::ChosenVoiceToken() const {
  CRef<ISpObjectToken> token;
  if (m_bVoicePending && !m_strVoiceId.empty() && SUCCEEDED(FindVoiceToken(SPCAT_VOICES, m_strVoiceId, &token)))
    return token;
  return m_pVoiceToken;
}

void CMainFrame::SaveSpeechSettings() { speech::SaveSpeechSettings({g_nVolume, m_nRate, m_strVoiceId}); }

void CMainFrame::SpeakInputText() {
  m_bPaused = false;
  panes::CLexiphonView* input = Input();
  const std::string bytes = input ? input->GetWindowTextBytes() : std::string();
  if (bytes.empty()) {
    fw::AfxMessageBox(QStringLiteral("字符串不能为空"));
    return;
  }
  if (!g_pVoice) return;
  ReportSpeakResult(SpeakPaneRange(0, INT_MAX), 0, INT_MAX);
  m_bPaused = false;
}

namespace {
// The sound system looks for a restarted server again after about three
// seconds.
constexpr int kSpeakRetryMs = 500;
constexpr int kSpeakTries = 10;
}  // namespace

void CMainFrame::ReportSpeakResult(HRESULT hr, int nFrom, int nTo) {
  g_hrSpeech = hr;
  if (SUCCEEDED(hr)) {
    m_bToldNoDevice = m_bSpeakRetrying = false;
    m_bSpeechPlayed = true;
    return;
  }
  // Every Speak tries the device again (the sound server may be back), but
  // one loss is told only once.
  if (hr != SPERR_NO_AUDIO_DEVICE || m_bToldNoDevice || m_bSpeakRetrying) return;
  if (!m_bSpeechPlayed) {
    TellNoDevice();
    return;
  }
  m_bSpeakRetrying = true;
  RetrySpeak(nFrom, nTo, kSpeakTries);
}

void CMainFrame::RetrySpeak(int nFrom, int nTo, int nTriesLeft) {
  QTimer::singleShot(kSpeakRetryMs, this, [this, nFrom, nTo, nTriesLeft] {
    // Stopped, or a later Speak got through.
    if (!m_bSpeakRetrying) return;
    const HRESULT hr = g_pVoice ? SpeakPaneRange(nFrom, nTo) : E_POINTER;
    if (hr == SPERR_NO_AUDIO_DEVICE && nTriesLeft > 1) {
      RetrySpeak(nFrom, nTo, nTriesLeft - 1);
      return;
    }
    m_bSpeakRetrying = false;
    g_hrSpeech = hr;
    if (SUCCEEDED(hr))
      m_bToldNoDevice = false;
    else if (hr == SPERR_NO_AUDIO_DEVICE)
      TellNoDevice();
  });
}

void CMainFrame::TellNoDevice() {
  m_bToldNoDevice = true;
  fw::AfxMessageBox(QStringLiteral("没有可用的声音设备，无法发音。\n请检查声卡和声音服务，然后重新启动本程序。"));
}

void CMainFrame::OnSpeak() {
  if (!m_bPaused) {
    SpeakInputText();
    return;
  }
  // Goes on with what was queued; the pane is not read again.
  if (g_pVoice) g_pVoice->Resume();
  m_bPaused = false;
}

namespace {

// A text queued, being spoken or held by a pause.
bool VoiceHasText() { return g_pVoice && g_pVoice->WaitUntilDone(0) != S_OK; }

}  // namespace

void CMainFrame::OnPause() {
  // Pausing silence would only hold back the next Speak.
  if (m_bPaused || !VoiceHasText()) return;
  g_pVoice->Pause();
  m_bPaused = true;
}

void CMainFrame::OnSpeechStop() {
  m_bSpeakRetrying = false;
  if (!g_pVoice) return;
  g_pVoice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
  // The next Speak starts afresh, not held by a pause.
  if (m_bPaused) g_pVoice->Resume();
  m_bPaused = false;
}

// A pause that outlived its text still holds back the next Speak: Stop
// clears it.
void CMainFrame::OnUpdateSpeechStop(fw::CCmdUI* pCmdUI) {
  pCmdUI->Enable(m_bPaused || m_bSpeakRetrying || VoiceHasText());
}

void CMainFrame::OnSpeechSettings() {
  CSpeechSettingsDialog dlg;
  dlg.m_strVoiceId = m_strVoiceId;
  // Cancel: the volume and rate the box applied when it opened stay.
  if (dlg.DoModal() != IDOK) return;

  g_nVolume = dlg.m_nVolume;
  m_nRate = dlg.m_nRate;
  // The list's references go with the box; the frame keeps its own.
  m_pVoiceToken = CRef<ISpObjectToken>(dlg.m_pVoiceToken);
  // OK gave the voice its choice: the stored one is not applied any more.
  m_strVoiceId = TokenIdOf(m_pVoiceToken.get());
  m_bVoicePending = false;
  if (g_pVoice) {
    g_pVoice->SetVolume(static_cast<std::uint16_t>(g_nVolume & 0xFFFF));
    g_pVoice->SetRate(m_nRate);
    // Null: the engine's default voice.
    g_pVoice->SetVoice(m_pVoiceToken.get());
  }
  SaveSpeechSettings();
}

}  // namespace frame
