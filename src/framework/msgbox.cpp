#include "framework/msgbox.h"

#include "app/resource.h"
#include "app/stringtable.h"
#include "framework/winapp.h"

#include <QMessageBox>

namespace fw {

void AfxMessageBox(const QString& text, QWidget* parent) {
  if (!parent) {
    CWinApp* app = AfxGetApp();
    QWidget* main = app ? app->GetMainWnd() : nullptr;
    if (main && main->isVisible()) parent = main;
  }
  QMessageBox box(QMessageBox::Warning, res::LoadString(res::AFX_IDS_APP_TITLE), text, QMessageBox::Ok,
                  parent);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace fw
