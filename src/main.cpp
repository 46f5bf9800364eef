#include "app/lexiphonapp.h"

#include <QApplication>

int main(int argc, char** argv) {
  // The resources live in a static library: pull them in by hand.
  Q_INIT_RESOURCE(lexiphon);
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lexiphon"));
  QApplication::setApplicationVersion(QStringLiteral("1.5"));
  return fw::AfxWinMain(&app::theApp);
}
