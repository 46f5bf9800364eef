#include "support/tempdir.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

namespace testing_support {

ScopedTempCwd::ScopedTempCwd() : m_strOld(QDir::currentPath()) {
  if (!m_dir.isValid() || !QDir::setCurrent(m_dir.path()))
    throw std::runtime_error("cannot enter a temporary folder");
}

ScopedTempCwd::~ScopedTempCwd() { QDir::setCurrent(m_strOld); }

ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long bytes) {
  struct rlimit limit {};
  getrlimit(RLIMIT_FSIZE, &limit);
  m_oldSoft = limit.rlim_cur;
  m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  struct rlimit limit {};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = m_oldSoft;
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, m_oldHandler);
}

std::string ReadFileBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
  const QByteArray all = f.readAll();
  return std::string(all.constData(), static_cast<std::size_t>(all.size()));
}

void WriteFileBytes(const QString& path, const std::string& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      f.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
    throw std::runtime_error("cannot write " + path.toStdString());
}

}  // namespace testing_support
