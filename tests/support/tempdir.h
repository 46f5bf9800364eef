#pragma once
// A fresh temporary folder made the current directory for one test, and
// restored afterwards; helpers to read and write whole files as bytes.
#include <QString>
#include <QTemporaryDir>

#include <string>

namespace testing_support {

class ScopedTempCwd {
 public:
  ScopedTempCwd();
  ~ScopedTempCwd();
  ScopedTempCwd(const ScopedTempCwd&) = delete;
  ScopedTempCwd& operator=(const ScopedTempCwd&) = delete;

  QString path() const { return m_dir.path(); }
  QString file(const QString& name) const { return m_dir.filePath(name); }

 private:
  QTemporaryDir m_dir;
  QString m_strOld;
};

// A full disk for this process: files cannot grow past `bytes` (writes fail
// with EFBIG instead of the process being killed) until the end of scope.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(unsigned long bytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  unsigned long m_oldSoft;
  void (*m_oldHandler)(int);
};

std::string ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const std::string& bytes);

}  // namespace testing_support
