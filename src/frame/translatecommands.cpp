// The main frame's translation commands: checks, the worker's start with the
// wait box over the frame, and the delivered result in the result pane.
#include "frame/mainframe.h"
#include "frame/translatewaitdialog.h"
#include "framework/msgbox.h"
#include "panes/lexiphonview.h"
#include "panes/myeditview.h"
#include "res/resource.h"
#include "translate/session.h"
#include "translate/translatehost.h"
#include "translate/translation.h"

#include <QDialog>

namespace frame {

using translate::TranslationDirection;

void CMainFrame::RunTranslateCommand(TranslationDirection dir) {
  // Before anything else: without a network even an empty pane says so.
  const translate::TranslateHost host = translate::ConfiguredHost();
  if (!translate::IsConnected(host)) {
    fw::AfxMessageBox(QStringLiteral("没有网络连接!要使用该功能，请保证你的网络链接正常"));
    return;
  }
  std::string strText = Input() ? Input()->GetWindowTextBytes() : std::string();
  switch (translate::PrepareText(strText, dir)) {
    case translate::TextCheck::Empty: fw::AfxMessageBox(QStringLiteral("空")); return;
    case translate::TextCheck::TooLong:
      fw::AfxMessageBox(QString::fromUtf8(translate::Traits(dir).pszTooLong));
      return;
    case translate::TextCheck::Ok: break;
  }

  if (!translate::StartTranslation(
          this, [this](const char* pszText) { OnTranslationDone(pszText); }, dir, std::move(strText), host)) {
    // Nothing would ever end the request: stay idle.
    fw::AfxMessageBox(QStringLiteral("无法启动翻译,请关闭一些程序后再试"));
    return;
  }

  CTranslateWaitDialog* wait = m_pWaitDialog;
  if (wait && (wait->GetSafeHwnd() || wait->Create(res::IDD_TRANSLATE_WAIT, this))) {
    // Centred over the frame; the box has no frame of its own.
    QDialog* dlg = wait->GetSafeHwnd();
    QRect box(QPoint(), dlg->size());
    box.moveCenter(frameGeometry().center());
    dlg->move(box.topLeft());
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
  }
  RequestIdleUpdate();
}

void CMainFrame::OnTranslateEnToZh() { RunTranslateCommand(TranslationDirection::EnToZh); }

void CMainFrame::OnTranslateZhToEn() { RunTranslateCommand(TranslationDirection::ZhToEn); }

void CMainFrame::OnUpdateTranslateEnToZh(fw::CCmdUI* pCmdUI) { pCmdUI->Enable(translate::g_bEnToZhBusy == 0); }

void CMainFrame::OnUpdateTranslateZhToEn(fw::CCmdUI* pCmdUI) { pCmdUI->Enable(translate::g_bZhToEnBusy == 0); }

void CMainFrame::OnTranslationDone(const char* pszText) {
  const std::string strText(pszText);
  if (panes::CMyEditView* result = Result()) result->SetWindowTextBytes(strText);
  // The user may have closed the wait box already. The busy flags clear
  // once this returns.
  if (m_pWaitDialog && m_pWaitDialog->GetSafeHwnd()) m_pWaitDialog->DestroyWindow();
  RequestIdleUpdate();
}

}  // namespace frame
