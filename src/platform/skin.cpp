#include "platform/skin.h"

#include "platform/skinfile.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QPointer>

#include <memory>

namespace platform {

namespace {

std::vector<SkinCall>& Log() {
  static std::vector<SkinCall> log;
  return log;
}

// Applies the dialog element to each dialog as it is first shown, so no call
// is needed per dialog.
class DialogSkinner : public QObject {
 public:
  explicit DialogSkinner(QString sheet) : m_sheet(std::move(sheet)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Show) {
      auto* dlg = qobject_cast<QDialog*>(watched);
      if (dlg && !dlg->property("lexSkinned").toBool()) {
        dlg->setProperty("lexSkinned", true);
        if (dlg->styleSheet().isEmpty()) dlg->setStyleSheet(m_sheet);
      }
    }
    return false;
  }

 private:
  QString m_sheet;
};

struct SkinState {
  bool initialised = false;
  std::optional<SkinData> skin;
  std::unique_ptr<DialogSkinner> dialogs;
};

SkinState& State() {
  static SkinState state;
  return state;
}

}  // namespace

const std::vector<SkinCall>& SkinCallLog() { return Log(); }
void ClearSkinCallLog() { Log().clear(); }

QString SkinSheet(const QString& element) {
  const auto& skin = State().skin;
  return skin ? skin->elements.value(element) : QString();
}

int SkinInit(void* hInstance, int reserved1, int reserved2, int reserved3) {
  Log().push_back({1,
                   {hInstance ? QStringLiteral("instance") : QStringLiteral("0"), QString::number(reserved1),
                    QString::number(reserved2), QString::number(reserved3)}});
  State().initialised = true;
  State().skin.reset();
  return 1;
}

int SkinLoadFile(const char* pszFile) {
  const QString name = QString::fromLocal8Bit(pszFile);
  Log().push_back({3, {name}});
  if (!State().initialised) return 0;
  QFile file(name);  // relative names resolve against the current directory
  if (!file.open(QIODevice::ReadOnly)) return 0;
  State().skin = ParseSkin(file.read(4 << 20));
  return State().skin ? 1 : 0;
}

int SkinSetWindow(QWidget* hWnd, const char* pszElement) {
  const QString element = QString::fromLatin1(pszElement);
  Log().push_back({5, {hWnd ? hWnd->objectName() : QStringLiteral("0"), element}});
  if (!hWnd || !State().skin || !State().skin->elements.contains(element)) return 0;
  hWnd->setStyleSheet(State().skin->elements.value(element));
  return 1;
}

int SkinSetDialogs(const char* pszElement) {
  const QString element = QString::fromLatin1(pszElement);
  Log().push_back({8, {element}});
  if (!State().skin || !State().skin->elements.contains(element) || !qApp) return 0;
  State().dialogs = std::make_unique<DialogSkinner>(State().skin->elements.value(element));
  qApp->installEventFilter(State().dialogs.get());
  return 1;
}

int SkinExit() {
  Log().push_back({2, {}});
  if (State().dialogs && qApp) qApp->removeEventFilter(State().dialogs.get());
  State() = SkinState();
  return 1;
}

}  // namespace platform
