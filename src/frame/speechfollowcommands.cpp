// The main frame's reading aids: the word being heard lit in the input pane,
// and Speak Selection.
#include "frame/mainframe.h"
#include "framework/msgbox.h"
#include "panes/lexiphonview.h"
#include "panes/speechhighlight.h"
#include "res/resource.h"
#include "speech/voiceglobals.h"

namespace frame {

using namespace speech;

namespace {

panes::SHeardWord HeardWord() {
  panes::SHeardWord word;
  SPVOICESTATUS status;
  if (!g_pVoice || FAILED(g_pVoice->GetStatus(&status))) return word;
  word.nStream = status.ulCurrentStream;
  word.bDone = status.dwRunningState == SPRS_DONE;
  word.nPos = static_cast<int>(status.ulInputWordPos);
  word.nLen = static_cast<int>(status.ulInputWordLen);
  return word;
}

}  // namespace

bool CMainFrame::OnSpeechStudyCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) {
  static const fw::CmdEntry<CMainFrame> table[] = {
      {res::ID_SPEECH_SPEAK_SELECTION, &CMainFrame::OnSpeakSelection, &CMainFrame::OnUpdateSpeakSelection},
      {res::ID_SPEECH_SAVE_AUDIO, &CMainFrame::OnSpeechSaveAudio, &CMainFrame::OnUpdateSpeechSaveAudio},
  };
  return fw::DispatchCmdMsg(this, table, nID, pCmdUI);
}

panes::CSpeechHighlight* CMainFrame::SpeechHighlight() {
  panes::CLexiphonView* input = Input();
  if (!input) return nullptr;
  if (!m_pSpeechHighlight) m_pSpeechHighlight = new panes::CSpeechHighlight(input, HeardWord);
  return m_pSpeechHighlight;
}

HRESULT CMainFrame::SpeakPaneRange(int nFrom, int nTo) {
  panes::CSpeechHighlight* highlight = SpeechHighlight();
  if (!highlight || !g_pVoice) return E_POINTER;
  ApplyStoredVoice();
  const QString text = highlight->SpokenText(nFrom, nTo);
  std::uint32_t stream = 0;
  const HRESULT hr = g_pVoice->Speak(reinterpret_cast<const char16_t*>(text.utf16()), SPF_ASYNC, &stream);
  if (SUCCEEDED(hr)) highlight->Follow(stream, std::max(0, nFrom));
  return hr;
}

void CMainFrame::OnUpdateSpeakSelection(fw::CCmdUI* pCmdUI) {
  panes::CLexiphonView* input = Input();
  pCmdUI->Enable(input && input->textCursor().hasSelection());
}

void CMainFrame::OnSpeakSelection() {
  panes::CLexiphonView* input = Input();
  if (!input || !input->textCursor().hasSelection() || !g_pVoice) return;
  // The selection is read now, not after whatever is still being read.
  g_pVoice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
  if (m_pSpeechHighlight) m_pSpeechHighlight->Stop();
  if (m_bPaused) g_pVoice->Resume();
  m_bPaused = false;
  const QTextCursor selection = input->textCursor();
  ReportSpeakResult(SpeakPaneRange(selection.selectionStart(), selection.selectionEnd()),
                    selection.selectionStart(), selection.selectionEnd());
}

}  // namespace frame
