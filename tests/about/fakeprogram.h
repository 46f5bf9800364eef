#pragma once
// Throwaway programs for the link tests: shell scripts in a temporary folder
// that record the arguments they were started with (NUL-separated) in an
// "argv" file beside them, so a test sees exactly what a started browser or
// opener would have received.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTest>

#include <optional>

namespace about_test {

// Writes an executable script at path whose body runs after the recording.
inline bool WriteRecorder(const QString& path, const QByteArray& tail = {}) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(
      "#!/bin/sh\n"
      "out=\"$(dirname \"$0\")/argv\"\n"
      "printf '%s\\0' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n" +
      tail);
  file.close();
  return file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

// The arguments a recorder in folder dir was started with; waits until it
// has written them.
inline std::optional<QStringList> RecordedArgv(const QString& dir, int ms = 10000) {
  const QString path = dir + QStringLiteral("/argv");
  QDeadlineTimer deadline(ms);
  while (!QFile::exists(path) && !deadline.hasExpired()) QTest::qWait(10);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QStringList args = QString::fromLocal8Bit(file.readAll()).split(QChar(u'\0'));
  args.removeLast();  // after the last terminator
  return args;
}

}  // namespace about_test
