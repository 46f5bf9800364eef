#include "translate/translatecommands.h"

#include "app/resource.h"
#include "frame/mainframe.h"
#include "frame/translatewaitdialog.h"
#include "framework/msgbox.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "translate/framelink.h"
#include "translate/translatehost.h"
#include "translate/translation.h"
#include "translate/worker.h"

#include <QDialog>

namespace translate {

int g_bEnToZhBusy = 0;
int g_bZhToEnBusy = 0;

namespace {

void RunTranslateCommand(frame::CMainFrame* pFrame, TranslationDirection dir) {
  // Before anything else: without a network even an empty pane says so.
  const TranslateHost host = ConfiguredHost();
  if (!IsConnected(host)) {
    fw::AfxMessageBox(QStringLiteral("没有网络连接!要使用该功能，请保证你的网络链接正常"));
    return;
  }
  std::string strText = pFrame->Input() ? pFrame->Input()->GetWindowTextBytes() : std::string();
  switch (PrepareText(strText, dir)) {
    case TextCheck::Empty: fw::AfxMessageBox(QStringLiteral("空")); return;
    case TextCheck::TooLong: fw::AfxMessageBox(QString::fromUtf8(Traits(dir).pszTooLong)); return;
    case TextCheck::Ok: break;
  }

  auto pJob =
      std::make_unique<TranslationJob>(TranslationJob{CFrameLink::For(pFrame), std::move(strText), host});
  const TranslationProc proc =
      dir == TranslationDirection::EnToZh ? &TranslateEnToZhProc : &TranslateZhToEnProc;
  if (!StartTranslationWorker(proc, std::move(pJob))) {
    // Nothing would ever end the request: stay idle.
    fw::AfxMessageBox(QStringLiteral("无法启动翻译,请关闭一些程序后再试"));
    return;
  }

  frame::CTranslateWaitDialog* wait = pFrame->m_pWaitDialog;
  if (wait && (wait->GetSafeHwnd() || wait->Create(res::IDD_TRANSLATE_WAIT, pFrame))) {
    // Centred over the frame; the box has no frame of its own.
    QDialog* dlg = wait->GetSafeHwnd();
    QRect box(QPoint(), dlg->size());
    box.moveCenter(pFrame->frameGeometry().center());
    dlg->move(box.topLeft());
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
  }
  g_bEnToZhBusy = 1;
  g_bZhToEnBusy = 1;
  pFrame->RequestIdleUpdate();
}

}  // namespace

}  // namespace translate

namespace frame {

void CMainFrame::OnTranslateEnToZh() {
  translate::RunTranslateCommand(this, translate::TranslationDirection::EnToZh);
}

void CMainFrame::OnTranslateZhToEn() {
  translate::RunTranslateCommand(this, translate::TranslationDirection::ZhToEn);
}

void CMainFrame::OnUpdateTranslateEnToZh(fw::CCmdUI* pCmdUI) {
  pCmdUI->Enable(translate::g_bEnToZhBusy == 0);
}

void CMainFrame::OnUpdateTranslateZhToEn(fw::CCmdUI* pCmdUI) {
  pCmdUI->Enable(translate::g_bZhToEnBusy == 0);
}

void CMainFrame::OnTranslationDone(const char* pszText) {
  const std::string strText(pszText);
  if (panes::CMyEditView* result = Result()) result->SetWindowTextBytes(strText);
  // The user may have closed the wait box already.
  if (m_pWaitDialog && m_pWaitDialog->GetSafeHwnd()) m_pWaitDialog->DestroyWindow();
  translate::g_bEnToZhBusy = 0;
  translate::g_bZhToEnBusy = 0;
  RequestIdleUpdate();
}

}  // namespace frame
