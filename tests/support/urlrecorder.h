#pragma once
// Stands in for the desktop's opener of one URL scheme and records what it
// was asked to open.
#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

namespace testing_support {

class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  explicit UrlRecorder(const QString& scheme) : m_scheme(scheme) {
    QDesktopServices::setUrlHandler(scheme, this, "open");
  }
  ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(m_scheme); }
  QList<QUrl> urls;

 public slots:
  void open(const QUrl& url) { urls << url; }

 private:
  QString m_scheme;
};

}  // namespace testing_support
