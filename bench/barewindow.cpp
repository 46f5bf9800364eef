// The yardstick for start-up time and idle memory: the least a Qt 6 program
// with a text pane needs (tools/measure runs it beside the real one). Given
// a file, it shows it as the program shows last.txt, so both draw the same
// characters with the same fonts.
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStringDecoder>

#include <algorithm>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("bare"));
  auto* pane = new QPlainTextEdit(&window);
  window.setCentralWidget(pane);
  if (argc > 1) {
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (file.open(QIODevice::ReadOnly)) {
      QStringDecoder gbk("GB18030");
      pane->setPlainText(gbk.isValid() ? QString(gbk(file.readAll()))
                                       : QString::fromLocal8Bit(file.readAll()));
    }
  }
  // The program's own first size.
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  window.resize(std::clamp(avail.width() * 2 / 3, 640, 1200), std::clamp(avail.height() * 2 / 3, 480, 800));
  window.show();
  return app.exec();
}
