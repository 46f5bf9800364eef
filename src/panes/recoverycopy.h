#pragma once
// A copy of the input pane kept while it has changes that last.txt does not
// hold yet, so a crash or power loss costs only the last seconds of typing.
// It lives in the user's state folder, one file per working folder, and is
// written atomically on a thread of its own a moment after typing stops.
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace fw {
class CEditView;
}

namespace panes {

class CRecoveryCopy : public QObject {
  Q_OBJECT
 public:
  static constexpr int kDelayMs = 2000;

  explicit CRecoveryCopy(fw::CEditView* pView);
  ~CRecoveryCopy() override;
  CRecoveryCopy(const CRecoveryCopy&) = delete;
  CRecoveryCopy& operator=(const CRecoveryCopy&) = delete;

  // $XDG_STATE_HOME/lexiphon (default ~/.local/state/lexiphon).
  static QString FolderPath();
  // The copy belonging to the current working folder.
  static QString FilePath();

  // Reads the copy left behind by an earlier run; false when there is none.
  static bool ReadLeftOver(std::string& out);

  // Starts (or restarts) the wait after a change.
  void OnEdited();
  // Writes the pane's text now (on the writer thread) and waits for it.
  void WriteNow();
  // The pane's text is safe elsewhere: no copy is written any more, and the
  // one on disk is removed.
  void Discard();

  // Copies written so far (for tests and measurements).
  int WrittenCount() const { return m_nWritten.load(); }
  void SetDelay(int ms) { m_timer.setInterval(ms); }

 private:
  void OnTimer();
  void WriterLoop();
  void WaitIdle(std::unique_lock<std::mutex>& lock);

  fw::CEditView* m_pView;
  QTimer m_timer;
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::optional<QString> m_pending;  // the latest snapshot not yet written
  QString m_strTarget;               // where m_pending goes
  bool m_bWriting = false;
  bool m_bStop = false;
  std::atomic<int> m_nWritten{0};
  std::thread m_writer;
};

}  // namespace panes
