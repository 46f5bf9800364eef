#include "framework/msgbox.h"

#include "framework/afxres.h"
#include "framework/afxstrings.h"
#include "framework/winapp.h"

#include <QMessageBox>

namespace fw {

void AfxMessageBox(const QString& text, QWidget* parent) {
  if (!parent) {
    CWinApp* app = AfxGetApp();
    QWidget* main = app ? app->GetMainWnd() : nullptr;
    if (main && main->isVisible()) parent = main;
  }
  QMessageBox box(QMessageBox::Warning, LoadString(AFX_IDS_APP_TITLE), text, QMessageBox::Ok,
                  parent);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace fw
