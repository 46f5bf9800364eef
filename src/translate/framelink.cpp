#include "translate/framelink.h"

#include "res/resource.h"
#include "res/stringtable.h"
#include "translate/session.h"

#include <QMessageBox>
#include <QWidget>
#include <QMetaObject>
#include <QThread>

#include <future>

namespace translate {

// A child of the frame: it goes in the frame's destructor, before the frame's
// posted calls are dropped, so a worker either posted before (and its call is
// dropped, which wakes it) or sees the frame gone.
class CFrameLinkHolder : public QObject {
 public:
  CFrameLinkHolder(QWidget* pFrame, std::shared_ptr<CFrameLink> pLink)
      : QObject(pFrame), m_pLink(std::move(pLink)) {
    setObjectName(QStringLiteral("TranslateFrameLink"));
  }
  ~CFrameLinkHolder() override {
    m_pLink->Detach();
    // A request abandoned with its frame leaves nothing busy behind.
    EndTranslation();
  }
  const std::shared_ptr<CFrameLink>& Link() const { return m_pLink; }

 private:
  std::shared_ptr<CFrameLink> m_pLink;
};

CFrameLink::CFrameLink(QWidget* pFrame) : m_pFrame(pFrame) {}

std::shared_ptr<CFrameLink> CFrameLink::For(QWidget* pFrame, DeliverFn fnDeliver) {
  // No meta-object of its own: found by name, checked by type.
  auto* holder = dynamic_cast<CFrameLinkHolder*>(
      pFrame->findChild<QObject*>(QStringLiteral("TranslateFrameLink"), Qt::FindDirectChildrenOnly));
  if (!holder) holder = new CFrameLinkHolder(pFrame, std::make_shared<CFrameLink>(pFrame));
  holder->Link()->m_fnDeliver = std::move(fnDeliver);
  return holder->Link();
}

QWidget* CFrameLink::Frame() const {
  std::lock_guard lock(m_mutex);
  return m_pFrame;
}

bool CFrameLink::IsGone() const { return Frame() == nullptr; }

void CFrameLink::Detach() {
  {
    std::lock_guard lock(m_mutex);
    m_pFrame = nullptr;
  }
  m_pAbort->Abort();
}

bool CFrameLink::Send(std::function<void(QWidget*)> fn) {
  // Answers the worker whether the call ran or was dropped unrun (the frame
  // deleted with the call still queued).
  struct Completion {
    std::promise<bool> done;
    bool bRan = false;
    ~Completion() {
      if (!bRan) done.set_value(false);
    }
  };
  auto completion = std::make_shared<Completion>();
  std::future<bool> ran = completion->done.get_future();
  {
    // Posting under the lock: the frame cannot be deleted in between.
    std::lock_guard lock(m_mutex);
    if (!m_pFrame) return false;
    Q_ASSERT(QThread::currentThread() != m_pFrame->thread());
    QMetaObject::invokeMethod(
        m_pFrame,
        [completion = std::move(completion), fn = std::move(fn), self = shared_from_this()] {
          QWidget* frame = self->Frame();
          if (!frame) return;
          fn(frame);
          completion->bRan = true;
          completion->done.set_value(true);
        },
        Qt::QueuedConnection);
  }
  return ran.get();
}

bool CFrameLink::MessageBox(const QString& text) {
  auto dismissed = std::make_shared<std::promise<void>>();
  std::future<void> closed = dismissed->get_future();
  // Plain bytes across the threads: the box makes its own string.
  const std::string utf8 = text.toStdString();
  const bool shown = Send([utf8, dismissed](QWidget* frame) {
    // Not modal: only the worker waits for it.
    auto* box = new QMessageBox(QMessageBox::Warning, res::LoadString(res::AFX_IDS_APP_TITLE),
                                QString::fromStdString(utf8), QMessageBox::Ok, frame);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QDialog::finished, box, &QObject::deleteLater);
    QObject::connect(box, &QObject::destroyed, [dismissed] { dismissed->set_value(); });
    box->show();
    // Over the wait box, which was shown last and has the keyboard: Enter
    // must answer this box, not close the other one.
    box->raise();
    box->activateWindow();
  });
  if (!shown) return false;
  closed.wait();
  return !IsGone();
}


bool CFrameLink::Deliver(const char* pszText) {
  return Send([this, pszText](QWidget*) {
    if (m_fnDeliver) m_fnDeliver(pszText);
    EndTranslation();
  });
}

}  // namespace translate
