#include "app/lexiphonapp.h"
#include "version.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
  // The resources live in a static library: pull them in by hand.
  Q_INIT_RESOURCE(lexiphon);
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lexiphon"));
  QApplication::setApplicationVersion(QStringLiteral(LEX_VERSION));
  // The interface is Chinese whatever the locale, the toolkit's own dialogs
  // and buttons included.
  QTranslator toolkit;
  if (toolkit.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&toolkit);
  return fw::AfxWinMain(&app::theApp);
}
