#pragma once
// The program's one top-level window: toolbar, status bar and a splitter of
// two even panes, the input view (row 0, column 0) and the result view
// (row 0, column 1).
#include "frame/livesplitter.h"
#include "framework/bars.h"
#include "framework/fileio.h"
#include "framework/framewnd.h"
#include "platform/speech/speechapi.h"
#include "translate/translation.h"

#include "platform/speech/filesink.h"

#include <QPointer>

#include <memory>

namespace panes {
class CLexiphonView;
class CMyEditView;
class CRecoveryCopy;
class CSpeechHighlight;
}  // namespace panes

namespace frame {

class CTranslateWaitDialog;

class CMainFrame : public fw::CFrameWnd {
  Q_OBJECT
 public:
  CMainFrame();
  ~CMainFrame() override;

  CTranslateWaitDialog* m_pWaitDialog = nullptr;
  int m_nRate = 0;
  // The voice chosen in the settings box; the frame holds a reference.
  speech::CRef<speech::ISpObjectToken> m_pVoiceToken;
  // Its token id, as setting.ini keeps it; read at start-up and given to the
  // voice only before it first speaks, so the engines start no earlier.
  std::string m_strVoiceId;
  bool m_bVoicePending = false;
  fw::CStatusBar m_wndStatusBar;
  fw::CToolBar m_wndToolBar;
  CLiveSplitterWnd m_wndSplitter;
  bool m_bSplitterReady = false;
  bool m_bPaused = false;
  // "No sound device" was said and no Speak has played since.
  bool m_bToldNoDevice = false;
  // Some Speak has played in this session; a Speak that found the device
  // gone is being tried again.
  bool m_bSpeechPlayed = false;
  bool m_bSpeakRetrying = false;
  // Speech runtime starts to stop again when the voice is gone.
  int m_nSpeechInits = 0;

  void ShowCommandPrompt(int nID) override;

  // Writes the input pane to last.txt (unless last.txt could not be loaded
  // and is being kept); on success the recovery copy goes. The logout,
  // signal and close paths all come here.
  fw::FileResult SaveLastText();
  // SaveLastText, and on failure asks whether to quit anyway (the close
  // path): true to go on closing.
  bool SaveBeforeClose();
  // Once the window is on screen: start-up's messages, then the offer of a
  // recovery copy an earlier run left behind.
  void OnStartupShown();
  std::unique_ptr<panes::CRecoveryCopy> m_pRecovery;

  // The panes by their splitter address, tested to be of the right class.
  panes::CLexiphonView* Input() const;
  panes::CMyEditView* Result() const;

  // Speech, in speechcommands.cpp. Reads the input pane aloud.
  void SpeakInputText();
  // Keeps the result of speaking the input pane's [nFrom, nTo) and says
  // once per loss of the device that there is none; a device lost after
  // playing is first tried again for a few seconds (a restarted sound
  // server takes that long to be found again).
  void ReportSpeakResult(speech::HRESULT hr, int nFrom, int nTo);
  void RetrySpeak(int nFrom, int nTo, int nTriesLeft);
  void TellNoDevice();
  // Gives the voice the one setting.ini named, if not done yet; an unknown
  // one leaves the default voice.
  void ApplyStoredVoice();
  // The voice Speak would use, the stored choice included before it first speaks.
  speech::CRef<speech::ISpObjectToken> ChosenVoiceToken() const;
  // Writes g_nVolume, m_nRate and the chosen voice to setting.ini.
  void SaveSpeechSettings();
  // Queues the input pane's positions [nFrom, nTo) and lights each word as
  // it is heard; in speechfollowcommands.cpp.
  speech::HRESULT SpeakPaneRange(int nFrom, int nTo);
  // The light on the input pane's spoken word, made on first use.
  panes::CSpeechHighlight* SpeechHighlight();

  // Renders the input text (or its selection) into path behind a progress
  // box; false, having said why, when it could not start. In
  // speechexportcommands.cpp.
  bool SaveSpeechTo(const QString& path, speech::SoundFileFormat format);
  bool IsSavingSpeech() const;

  // WM_TRANSLATION_DONE: a translation worker's text, shown while the worker
  // waits; the buffer stays the worker's. In translatecommands.cpp.
  void OnTranslationDone(const char* pszText);

 protected:
  bool PreCreateWindow(fw::CREATESTRUCT& cs) override;
  int OnCreate(fw::CREATESTRUCT& cs) override;
  bool OnCreateClient(fw::CREATESTRUCT& cs, fw::CCreateContext* pContext) override;
  void OnSize(unsigned nType, int cx, int cy) override;
  void InitCommandAction(QAction* action, unsigned nID) override;
  bool OnOwnCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI) override;
  // Keeps the input pane in last.txt, then closes.
  void OnClose() override;

  void OnHelpTopics();
  void OnSpeak();
  void OnPause();
  // Drops what is queued and playing; on only while the voice has a text.
  void OnSpeechStop();
  void OnUpdateSpeechStop(fw::CCmdUI* pCmdUI);
  // The settings box, in speechcommands.cpp.
  void OnSpeechSettings();
  // Translation, in translatecommands.cpp.
  void OnTranslateEnToZh();
  void OnTranslateZhToEn();
  void OnUpdateTranslateEnToZh(fw::CCmdUI* pCmdUI);
  void OnUpdateTranslateZhToEn(fw::CCmdUI* pCmdUI);
  // Speak Selection, in speechfollowcommands.cpp; its table is asked first.
  bool OnSpeechStudyCmdMsg(unsigned nID, fw::CCmdUI* pCmdUI);
  void OnSpeakSelection();
  void OnUpdateSpeakSelection(fw::CCmdUI* pCmdUI);
  void OnSpeechSaveAudio();
  void OnUpdateSpeechSaveAudio(fw::CCmdUI* pCmdUI);

 private:
  // Both columns at half the client width, at least 100 pixels each.
  void EvenColumns();
  // Both translation commands: checks, worker, wait box.
  void RunTranslateCommand(translate::TranslationDirection dir);
  // The speech part of pre-create (runtime, settings, voice) and of the
  // destructor.
  bool PreCreateSpeech();
  void ReleaseSpeech();

  QPointer<panes::CSpeechHighlight> m_pSpeechHighlight;  // a child of the input pane
  QPointer<QObject> m_pSpeechExport;  // the progress box of the export under way
};

}  // namespace frame
