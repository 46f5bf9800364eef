// The yardstick for start-up time and idle memory: the least a Qt 6 program
// with a text pane needs (tools/measure runs it beside the real one).
#include <QApplication>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QScreen>

#include <algorithm>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("bare"));
  window.setCentralWidget(new QPlainTextEdit(&window));
  // The program's own first size.
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  window.resize(std::clamp(avail.width() * 2 / 3, 640, 1200), std::clamp(avail.height() * 2 / 3, 480, 800));
  window.show();
  return app.exec();
}
