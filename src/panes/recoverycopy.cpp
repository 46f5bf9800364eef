#include "panes/recoverycopy.h"

#include "framework/editview.h"
#include "framework/fileio.h"
#include "text/panebridge.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTextDocument>

namespace panes {

CRecoveryCopy::CRecoveryCopy(fw::CEditView* pView) : m_pView(pView) {
  m_timer.setSingleShot(true);
  m_timer.setInterval(kDelayMs);
  connect(&m_timer, &QTimer::timeout, this, &CRecoveryCopy::OnTimer);
  connect(pView, &fw::CEditView::UserEdited, this, &CRecoveryCopy::OnEdited);
  m_writer = std::thread([this] { WriterLoop(); });
}

CRecoveryCopy::~CRecoveryCopy() {
  {
    std::lock_guard lock(m_mutex);
    m_bStop = true;
  }
  m_cv.notify_all();
  m_writer.join();
}

QString CRecoveryCopy::FolderPath() {
  QString base = qEnvironmentVariable("XDG_STATE_HOME");
  // Relative values are to be ignored, as the base directory rules say.
  if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + QStringLiteral("/.local/state");
  return base + QStringLiteral("/lexiphon");
}

QString CRecoveryCopy::FilePath() {
  // last.txt belongs to the working folder, so its copy does too.
  const QByteArray cwd = QFile::encodeName(QDir::currentPath());
  const QByteArray id = QCryptographicHash::hash(cwd, QCryptographicHash::Sha1).toHex().left(16);
  return FolderPath() + QStringLiteral("/recovery-") + QString::fromLatin1(id) + QStringLiteral(".txt");
}

bool CRecoveryCopy::ReadLeftOver(std::string& out) {
  out.clear();
  return fw::ReadWholeFile(FilePath(), out, fw::CEditView::kMaxLoadBytes).ok();
}

void CRecoveryCopy::OnEdited() { m_timer.start(); }

void CRecoveryCopy::OnTimer() {
  // Only the snapshot is taken here; conversion and disk wait on the writer.
  QString snapshot = m_pView->document()->toRawText();
  {
    std::lock_guard lock(m_mutex);
    m_pending = std::move(snapshot);
    m_strTarget = FilePath();
  }
  m_cv.notify_all();
}

void CRecoveryCopy::WaitIdle(std::unique_lock<std::mutex>& lock) {
  m_cv.wait(lock, [this] { return !m_pending && !m_bWriting; });
}

void CRecoveryCopy::WriteNow() {
  m_timer.stop();
  OnTimer();
  std::unique_lock lock(m_mutex);
  WaitIdle(lock);
}

void CRecoveryCopy::Discard() {
  m_timer.stop();
  std::unique_lock lock(m_mutex);
  m_pending.reset();
  WaitIdle(lock);
  QFile::remove(FilePath());
}

void CRecoveryCopy::WriterLoop() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_cv.wait(lock, [this] { return m_bStop || m_pending; });
    if (m_bStop) return;
    const QString text = std::move(*m_pending);
    const QString target = m_strTarget;
    m_pending.reset();
    m_bWriting = true;
    lock.unlock();
    const std::string bytes = text::PaneTextToBytes(text);
    QDir().mkpath(FolderPath());
    QFile::setPermissions(FolderPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A copy that cannot be written is no worse than none; the close still
    // writes last.txt and says so when that fails.
    if (fw::WriteFileAtomic(target, bytes).ok()) ++m_nWritten;
    lock.lock();
    m_bWriting = false;
    m_cv.notify_all();
  }
}

}  // namespace panes
