#include "frame/translatewaitdialog.h"

#include "res/resource.h"
#include "framework/dialogunits.h"

#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>

namespace frame {

namespace {

// The window: Enter and Esc reach the owner's OK and Cancel.
class WaitWindow : public QDialog {
 public:
  WaitWindow(CTranslateWaitDialog* owner, QWidget* parent)
      : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_pOwner(owner) {}
  void accept() override { m_pOwner->OnOK(); }
  void reject() override { m_pOwner->OnCancel(); }

 protected:
  // QDialog ignores Enter when it has no default button; this box has none.
  void keyPressEvent(QKeyEvent* e) override {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      accept();
      return;
    }
    QDialog::keyPressEvent(e);
  }

 private:
  CTranslateWaitDialog* m_pOwner;
};

}  // namespace

CTranslateWaitDialog::CTranslateWaitDialog() = default;

CTranslateWaitDialog::~CTranslateWaitDialog() { DestroyWindow(); }

bool CTranslateWaitDialog::Create(unsigned nIDTemplate, QWidget* pParent) {
  if (nIDTemplate != res::IDD_TRANSLATE_WAIT || m_hWnd) return false;
  auto* dlg = new WaitWindow(this, pParent);
  dlg->setObjectName(QStringLiteral("TranslateWait"));
  dlg->setModal(false);
  const QFont font = fw::DialogFont(10);
  dlg->setFont(font);
  const fw::DialogBaseUnits units = fw::BaseUnitsFor(font);

  // A border and no caption; 187 x 38 dialog units, one static text.
  auto* border = new QFrame(dlg);
  border->setFrameShape(QFrame::Box);
  auto* label = new QLabel(QStringLiteral("正在翻译，请稍等片刻..."), dlg);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QRect box = fw::MapDialogRect(units, QRect(0, 0, 187, 38));
  QRect text = fw::MapDialogRect(units, QRect(50, 15, 87, 8));
  // Never clip the text: a face wider than the template's grows the box.
  text.setSize(text.size().expandedTo(label->sizeHint()));
  box.setWidth(std::max(box.width(), text.right() + 1 + text.left()));
  box.setHeight(std::max(box.height(), text.bottom() + 1 + text.top()));
  label->setGeometry(text);
  dlg->setFixedSize(box.size());
  border->setGeometry(0, 0, box.width(), box.height());
  m_hWnd = dlg;
  return true;
}

bool CTranslateWaitDialog::DestroyWindow() {
  if (!m_hWnd) return false;
  QDialog* dlg = m_hWnd;
  m_hWnd = nullptr;
  dlg->hide();
  dlg->deleteLater();
  return true;
}

void CTranslateWaitDialog::OnOK() { DestroyWindow(); }
void CTranslateWaitDialog::OnCancel() { DestroyWindow(); }

}  // namespace frame
