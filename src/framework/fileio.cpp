#include "framework/fileio.h"

#include "framework/afxres.h"
#include "framework/afxstrings.h"
#include "framework/winapp.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

FileError FileErrorFromErrno(int err, bool writing) {
  switch (err) {
    case 0: return writing ? FileError::writeError : FileError::readError;
    case ENOENT: return FileError::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return FileError::badPath;
    case EACCES:
    case EPERM:
    case EROFS: return FileError::accessDenied;
    case EISDIR: return FileError::isDirectory;
    case ETXTBSY:
    case EBUSY: return FileError::sharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return FileError::diskFull;
    case EIO: return writing ? FileError::writeError : FileError::readError;
    default: return FileError::generic;
  }
}

namespace {

// An errno that names no particular cause is still a read or write failure.
FileResult Failed(int err, bool writing, FileError fallback) {
  const FileError cause = FileErrorFromErrno(err, writing);
  return {cause == FileError::generic ? fallback : cause};
}

}  // namespace

FileResult ResolveRegularFile(const QString& path, QString& target, bool writing) {
  target = path;
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0) {
    const int err = errno;
    // A file that is not there yet is created by a write.
    if (writing && err == ENOENT) return {};
    return {FileErrorFromErrno(err, writing)};
  }
  if (S_ISDIR(st.st_mode)) return {FileError::isDirectory};
  if (S_ISREG(st.st_mode)) return {};
  if (!S_ISLNK(st.st_mode) || st.st_uid != ::geteuid()) return {FileError::notRegular};
  // A link of the user's own: follow it only to a regular file of theirs.
  char* real = ::realpath(native.constData(), nullptr);
  if (!real) return {FileError::notRegular};
  const QString resolved = QFile::decodeName(real);
  std::free(real);
  struct stat tst {};
  if (::stat(QFile::encodeName(resolved).constData(), &tst) != 0 || !S_ISREG(tst.st_mode) ||
      tst.st_uid != ::geteuid())
    return {FileError::notRegular};
  target = resolved;
  return {};
}

FileResult ReadWholeFile(const QString& path, std::string& out, std::size_t maxBytes) {
  out.clear();
  QString target;
  if (const FileResult r = ResolveRegularFile(path, target, false); !r.ok()) return r;
  // No following and no waiting: a link or FIFO swapped in after the check
  // fails here instead of being read or hanging the program.
  const int fd = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return {errno == ELOOP ? FileError::notRegular : FileErrorFromErrno(errno, false)};
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return {FileErrorFromErrno(err, false)};
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return {S_ISDIR(st.st_mode) ? FileError::isDirectory : FileError::notRegular};
  }
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
    ::close(fd);
    return {FileError::tooLarge};
  }
  // The file may still grow while it is read: never more than one byte past
  // the limit.
  out.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      out.clear();
      return Failed(err, false, FileError::readError);
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
    if (out.size() > maxBytes) {
      ::close(fd);
      out.clear();
      return {FileError::tooLarge};
    }
  }
  ::close(fd);
  return {};
}

FileResult WriteFileAtomic(const QString& path, const std::string& bytes) {
  QString target;
  if (const FileResult r = ResolveRegularFile(path, target, true); !r.ok()) {
    if (r.error == FileError::fileNotFound || r.error == FileError::badPath) {
      if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) return {FileError::badPath};
    }
    return r;
  }
  QSaveFile file(target);
  // A read-only folder with a writable file in it: writing in place is
  // better than refusing.
  file.setDirectWriteFallback(true);
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) {
    const int err = errno;
    if (!QFileInfo(QFileInfo(target).absolutePath()).isDir()) return {FileError::badPath};
    return Failed(err, true, FileError::accessDenied);
  }
  errno = 0;
  const qint64 want = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), want) != want || !file.flush()) {
    const int err = errno;
    file.cancelWriting();
    return Failed(err, true, FileError::writeError);
  }
  errno = 0;
  if (!file.commit()) return Failed(errno, true, FileError::writeError);
  return {};
}

void SetAllFilesFilter(QFileDialog& dlg) {
  const QString text = LoadString(AFX_IDS_ALLFILTER);
  dlg.setNameFilter(QStringLiteral("%1 (*)").arg(text));
  // The dialog shows the entry as given; put the framework's text back.
  if (auto* types = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) types->setItemText(0, text);
}

namespace {
constexpr char kLastFolderKey[] = "Settings/Last Folder";
}  // namespace

void StartInLastFolder(QFileDialog& dlg) {
  QString folder;
  if (CWinApp* app = AfxGetApp()) folder = app->OpenProfile()->value(QLatin1String(kLastFolderKey)).toString();
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir()) folder = QDir::homePath();
  }
  dlg.setDirectory(folder);
}

void RememberLastFolder(const QString& file) {
  CWinApp* app = AfxGetApp();
  if (!app || file.isEmpty()) return;
  app->OpenProfile()->setValue(QLatin1String(kLastFolderKey), QFileInfo(file).absolutePath());
}

QString FileErrorMessage(FileError error, const QString& path) {
  const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
  switch (error) {
    case FileError::none: return {};
    case FileError::tooLarge: return LoadString(AFX_IDP_FILE_TOO_LARGE);
    case FileError::fileNotFound: return FormatString1(AFX_IDP_FILE_NOT_FOUND, full);
    case FileError::badPath: return FormatString1(AFX_IDP_FILE_BAD_PATH, full);
    case FileError::accessDenied: return FormatString1(AFX_IDP_FILE_ACCESS_DENIED, full);
    case FileError::isDirectory: return FormatString1(AFX_IDP_FILE_IS_DIRECTORY, full);
    case FileError::sharingViolation: return FormatString1(AFX_IDP_FILE_SHARING, full);
    case FileError::diskFull: return FormatString1(AFX_IDP_FILE_DISK_FULL, full);
    case FileError::readError: return FormatString1(AFX_IDP_FILE_READ_ERROR, full);
    case FileError::writeError: return FormatString1(AFX_IDP_FILE_WRITE_ERROR, full);
    case FileError::notRegular: return FormatString1(AFX_IDP_FILE_NOT_REGULAR, full);
    case FileError::generic: break;
  }
  return FormatString1(AFX_IDP_FILE_GENERIC, full);
}

}  // namespace fw
