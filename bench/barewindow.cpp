// The yardstick for start-up time and idle memory: the least a Qt 6 program
// with a text pane needs (tools/measure runs it beside the real one).
#include <QApplication>
#include <QMainWindow>
#include <QPlainTextEdit>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("bare"));
  window.setCentralWidget(new QPlainTextEdit(&window));
  window.resize(800, 600);
  window.show();
  return app.exec();
}
