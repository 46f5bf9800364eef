#pragma once
// Whole-file reads and writes with the framework's file error causes. Writes
// that replace a file go through a temporary file in the same folder and an
// atomic rename, so a crash or a full disk never leaves half a file.
#include <QString>

class QFileDialog;

#include <optional>
#include <string>

namespace fw {

enum class FileError {
  none,
  generic,
  fileNotFound,
  badPath,
  accessDenied,
  isDirectory,
  sharingViolation,
  diskFull,
  readError,
  writeError,
  tooLarge,
  notRegular,  // a device, FIFO, socket or a link the user does not own
};

// Thrown by a document's load step when the file's content is refused.
struct CFileException {
  FileError m_cause;
};

struct FileResult {
  FileError error = FileError::none;
  bool ok() const { return error == FileError::none; }
};

// The file that reading or writing path really touches: path itself when it
// is a regular file (or, for writing, does not exist yet), the target when
// path is a link the user owns to a regular file the user owns. Anything
// else is refused, so a planted link or a device node is never read or
// replaced.
FileResult ResolveRegularFile(const QString& path, QString& target, bool writing);

// Reads the whole file into out. A file longer than maxBytes is refused with
// tooLarge before more than maxBytes + 1 bytes are read.
FileResult ReadWholeFile(const QString& path, std::string& out, std::size_t maxBytes);

// Replaces (or creates) path with exactly these bytes, atomically; through a
// link, the link's target is replaced and the link kept. Where the folder
// does not let a temporary file be made, an existing writable file is
// written in place.
FileResult WriteFileAtomic(const QString& path, const std::string& bytes);

// The framework's "所有文件 (*.*)" entry, listing every file: here names
// without a dot too, so the pattern is "*" while the text stays.
void SetAllFilesFilter(QFileDialog& dlg);

// File dialogs start in the folder last used for opening or saving (kept in
// the profile), else in the user's documents folder: never in the program's
// own working folder, which the dialog does not move either.
void StartInLastFolder(QFileDialog& dlg);
// Remembers the folder of a file just opened or saved.
void RememberLastFolder(const QString& file);

// The framework-style message for a failed access to path.
QString FileErrorMessage(FileError error, const QString& path);

// Maps an errno value onto a cause.
FileError FileErrorFromErrno(int err, bool writing);

}  // namespace fw
