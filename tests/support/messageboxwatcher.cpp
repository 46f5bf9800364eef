#include "support/messageboxwatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>

namespace testing_support {

ModalWatcher::ModalWatcher(Handler handler) : m_handler(std::move(handler)) {
  connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
  m_timer.start(5);
}

void ModalWatcher::poll() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* dlg = qobject_cast<QDialog*>(w);
    if (!dlg || !dlg->isVisible() || m_handled.count(dlg)) continue;
    m_handled.insert(dlg);
    QPointer<QDialog> guard(dlg);
    connect(dlg, &QObject::destroyed, this, [this, dlg] { m_handled.erase(dlg); });
    ++m_nSeen;
    m_handler(dlg);
    if (guard && !guard->isVisible()) m_handled.erase(dlg);
  }
}

bool ModalWatcher::waitFor(int count, int ms) {
  QDeadlineTimer deadline(ms);
  while (m_nSeen < count && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return m_nSeen >= count;
}

MessageBoxWatcher::MessageBoxWatcher(QMessageBox::StandardButton answer)
    : m_answer(answer), m_watcher([this](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) return;
        m_boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
        QAbstractButton* b = box->button(m_answer);
        if (!b) b = box->buttons().value(0);
        if (b) b->click();
      }) {}

QStringList MessageBoxWatcher::texts() const {
  QStringList out;
  for (const auto& b : m_boxes) out << b.text;
  return out;
}

ModalWatcher AnswerDialogs(const QString& path, SeenFileDialog* seen, const QString& button) {
  return ModalWatcher([=](QWidget* w) {
    if (auto* dlg = qobject_cast<QFileDialog*>(w)) {
      if (seen) {
        QStringList shown;
        if (auto* types = dlg->findChild<QComboBox*>("fileTypeCombo"))
          for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        *seen = {dlg->windowTitle(), shown, dlg->defaultSuffix(), !dlg->testOption(QFileDialog::DontConfirmOverwrite)};
      }
      if (path.isEmpty()) {
        dlg->reject();
        return;
      }
      dlg->selectFile(path);
      // Queued: accepting may open the dialog's own question, which this
      // watcher must be free to answer.
      QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
    } else if (auto* box = qobject_cast<QMessageBox*>(w)) {
      QAbstractButton* pick = button.isEmpty() ? box->button(QMessageBox::Yes) : nullptr;
      for (QAbstractButton* b : box->buttons())
        if (!button.isEmpty() && b->text() == button) pick = b;
      if (pick) pick->click();
    }
  });
}

}  // namespace testing_support
