#pragma once
// Answers the modal windows a test provokes: every visible QDialog that
// appears is handed to a handler (by default: record it and press OK on a
// message box), so a test can drive code that opens a modal loop.
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <set>

namespace testing_support {

class ModalWatcher : public QObject {
  Q_OBJECT
 public:
  using Handler = std::function<void(QWidget*)>;
  explicit ModalWatcher(Handler handler);
  int seen() const { return m_nSeen; }
  // Spins the event loop until `count` dialogs were handled or ms passed.
  bool waitFor(int count, int ms = 5000);

 private:
  void poll();
  Handler m_handler;
  QTimer m_timer;
  std::set<QWidget*> m_handled;
  int m_nSeen = 0;
};

struct SeenMessageBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
};

class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);
  const std::vector<SeenMessageBox>& boxes() const { return m_boxes; }
  QStringList texts() const;
  bool waitFor(int count, int ms = 5000) { return m_watcher.waitFor(count, ms); }
  void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }

 private:
  QMessageBox::StandardButton m_answer;
  std::vector<SeenMessageBox> m_boxes;
  ModalWatcher m_watcher;
};

// What a test saw of a file dialog.
struct SeenFileDialog {
  QString title;
  QStringList filters;  // as the dialog shows them
  QString suffix;
  bool confirmsOverwrite = false;
};

// File dialogs get `path` (empty: Cancel); message boxes get the button
// whose text is `button`, or Yes (a dialog's own "replace it?") when none is
// named.
ModalWatcher AnswerDialogs(const QString& path, SeenFileDialog* seen = nullptr, const QString& button = {});

}  // namespace testing_support
