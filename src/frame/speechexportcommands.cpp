// The main frame's Save Speech: the input text (or its selection) rendered
// with the voice, volume and rate of Speak into a sound file, behind a
// progress box that leaves the window usable and can cancel.
#include "frame/mainframe.h"
#include "framework/cmdtarget.h"
#include "framework/msgbox.h"
#include "panes/lexiphonview.h"
#include "panes/speechhighlight.h"
#include "platform/speech/audioexport.h"
#include "res/resource.h"
#include "res/stringtable.h"
#include "speech/voiceglobals.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <climits>
#include <memory>

namespace frame {

using namespace speech;

namespace {

constexpr int kSteps = 1000;

void ShowStatus(CMainFrame* pFrame, const QString& text) {
  if (pFrame->m_wndStatusBar.GetCount() > 0) pFrame->m_wndStatusBar.SetPaneText(0, text);
}

// The progress box owns the export; closing it any way ends the export.
class CSpeechExportProgress : public QProgressDialog {
 public:
  CSpeechExportProgress(CMainFrame* pFrame, std::unique_ptr<CSpeechExport> pExport, const QString& path)
      : QProgressDialog(pFrame), m_pFrame(pFrame), m_pExport(std::move(pExport)), m_strPath(path) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("保存语音"));
    setLabelText(QStringLiteral("正在把语音保存到“%1”……").arg(QFileInfo(path).fileName()));
    setCancelButtonText(QStringLiteral("取消"));
    setRange(0, kSteps);
    setAutoReset(false);
    setAutoClose(false);
    // The user may go on reading aloud or editing meanwhile.
    setWindowModality(Qt::NonModal);
    setMinimumDuration(400);
    setValue(0);
    // The button, Esc and closing the box all cancel.
    connect(this, &QProgressDialog::canceled, this, [this] { OnCancel(); });
    connect(this, &QDialog::rejected, this, [this] { OnCancel(); });
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTick(); });
    m_timer.start(50);
    // Closing the window would cancel the export unasked.
    pFrame->installEventFilter(this);
  }

  ~CSpeechExportProgress() override { m_timer.stop(); }

 protected:
  bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
    if (pWatched != m_pFrame || pEvent->type() != QEvent::Close || !m_pExport) return false;
    QMessageBox box(QMessageBox::Question, res::LoadString(res::AFX_IDS_APP_TITLE),
                    QStringLiteral("语音还没有保存完。\n现在退出将取消保存，仍然退出吗？"),
                    QMessageBox::Yes | QMessageBox::No, m_pFrame);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("退出"));
    box.button(QMessageBox::No)->setText(QStringLiteral("返回"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    // Held while asking, so the export cannot end (and this box go) meanwhile.
    m_timer.stop();
    if (box.exec() != QMessageBox::Yes) {
      m_timer.start();
      pEvent->ignore();
      return true;
    }
    OnCancel();
    return false;
  }

 private:
  void OnTick() {
    if (!m_pExport) return;
    if (m_pExport->IsRunning()) {
      // The maximum is kept for the end: it would reset the box.
      setValue(std::min(kSteps - 1, static_cast<int>(m_pExport->Progress() * kSteps)));
      return;
    }
    m_timer.stop();
    std::unique_ptr<CSpeechExport> done = std::move(m_pExport);
    const bool ok = done->Finish();
    const QString error = done->Error();
    done.reset();
    hide();
    if (ok) {
      ShowStatus(m_pFrame, QStringLiteral("语音已保存到 %1").arg(QDir::toNativeSeparators(m_strPath)));
    } else {
      fw::AfxMessageBox(QStringLiteral("无法保存语音。\n%1").arg(error));
    }
    close();
  }

  void OnCancel() {
    // Closing the box after the end comes here too.
    if (!m_pExport) return;
    m_timer.stop();
    m_pExport->Cancel();
    m_pExport.reset();
    ShowStatus(m_pFrame, QStringLiteral("已取消保存语音"));
    close();
  }

  CMainFrame* m_pFrame;
  std::unique_ptr<CSpeechExport> m_pExport;
  QString m_strPath;
  QTimer m_timer;
};

struct SFilter {
  SoundFileFormat format;
  const char* pszFilter;
};
constexpr SFilter kFilters[] = {
    {SoundFileFormat::Mp3, "MP3 声音文件 (*.mp3)"},
    {SoundFileFormat::Wav, "WAV 声音文件 (*.wav)"},
    {SoundFileFormat::Flac, "FLAC 无损声音文件 (*.flac)"},
    {SoundFileFormat::OggVorbis, "Ogg Vorbis 声音文件 (*.ogg)"},
};

}  // namespace

bool CMainFrame::IsSavingSpeech() const { return m_pSpeechExport != nullptr; }

void CMainFrame::OnUpdateSpeechSaveAudio(fw::CCmdUI* pCmdUI) {
  panes::CLexiphonView* input = Input();
  pCmdUI->Enable(input && !input->document()->isEmpty() && !IsSavingSpeech());
}

void CMainFrame::OnSpeechSaveAudio() {
  if (IsSavingSpeech()) return;
  QStringList filters;
  for (const SFilter& f : kFilters) filters << QString::fromUtf8(f.pszFilter);
  // The folder saved to last time in this session, else the music folder.
  static QString lastFolder;
  QString folder = lastFolder;
  if (folder.isEmpty() || !QDir(folder).exists())
    folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  QString selected = filters.front();
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("保存语音"),
                                              QDir(folder).filePath(QStringLiteral("朗读.mp3")),
                                              filters.join(QStringLiteral(";;")), &selected);
  if (path.isEmpty()) return;
  lastFolder = QFileInfo(path).absolutePath();
  // A name without a known extension gets the one of the filter chosen.
  std::optional<SoundFileFormat> format = SoundFileFormatOf(path);
  if (!format) {
    format = kFilters[0].format;
    for (const SFilter& f : kFilters)
      if (selected == QString::fromUtf8(f.pszFilter)) format = f.format;
    path += QLatin1Char('.') + SoundFileExtension(*format);
  }
  SaveSpeechTo(path, *format);
}

bool CMainFrame::SaveSpeechTo(const QString& path, SoundFileFormat format) {
  panes::CLexiphonView* input = Input();
  panes::CSpeechHighlight* highlight = SpeechHighlight();
  if (!input || !highlight || IsSavingSpeech()) return false;
  const QTextCursor cursor = input->textCursor();
  const QString text = cursor.hasSelection()
                           ? highlight->SpokenText(cursor.selectionStart(), cursor.selectionEnd())
                           : highlight->SpokenText(0, INT_MAX);
  if (text.trimmed().isEmpty()) {
    fw::AfxMessageBox(QStringLiteral("字符串不能为空"));
    return false;
  }
  SSpeechExportRequest request;
  request.strTarget = path;
  request.format = format;
  request.strText = text.toStdU16String();
  request.pVoice = ChosenVoiceToken();
  request.nRate = m_nRate;
  request.nVolume = g_nVolume;
  auto exporter = std::make_unique<CSpeechExport>(std::move(request));
  if (!exporter->Start()) {
    fw::AfxMessageBox(QStringLiteral("无法保存语音。\n%1").arg(exporter->Error()));
    return false;
  }
  m_pSpeechExport = new CSpeechExportProgress(this, std::move(exporter), path);
  return true;
}

}  // namespace frame
