// Whole-file reads and atomic writes: limits, causes, and never half a file.
#include "framework/archive.h"
#include "framework/fileio.h"
#include "support/tempdir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>


using testing_support::ReadFileBytes;
using testing_support::ScopedTempCwd;
using testing_support::WriteFileBytes;

namespace {

TEST(ReadWholeFile, LimitsAndCauses) {
  ScopedTempCwd cwd;
  WriteFileBytes(cwd.file("ten"), "0123456789");
  std::string out;
  EXPECT_TRUE(fw::ReadWholeFile(cwd.file("ten"), out, 10).ok());
  EXPECT_EQ(out, "0123456789");
  EXPECT_EQ(fw::ReadWholeFile(cwd.file("ten"), out, 9).error, fw::FileError::tooLarge);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(fw::ReadWholeFile(cwd.file("none"), out, 10).error, fw::FileError::fileNotFound);
  EXPECT_EQ(fw::ReadWholeFile(cwd.path(), out, 10).error, fw::FileError::isDirectory);
  EXPECT_EQ(fw::ReadWholeFile(cwd.file("ten/below"), out, 10).error, fw::FileError::badPath);
  // A device is never read, however small the cap.
  EXPECT_EQ(fw::ReadWholeFile("/dev/zero", out, 1000).error, fw::FileError::notRegular);
}

TEST(WriteFileAtomic, ReplacesWholeFilesAndFailuresLeaveTheOldOne) {
  ScopedTempCwd cwd;
  const QString path = cwd.file("keep.txt");
  ASSERT_TRUE(fw::WriteFileAtomic(path, "first version, long").ok());
  ASSERT_TRUE(fw::WriteFileAtomic(path, "short").ok());
  EXPECT_EQ(ReadFileBytes(path), "short");

  EXPECT_EQ(fw::WriteFileAtomic(cwd.file("missing/dir/x"), "x").error, fw::FileError::badPath);
  QDir(cwd.path()).mkdir("taken");
  EXPECT_EQ(fw::WriteFileAtomic(cwd.file("taken"), "x").error, fw::FileError::isDirectory);

  // A full disk in the middle of the write: the old file stays whole and no
  // temporary file is left behind.
  fw::FileResult r;
  {
    testing_support::ScopedFileSizeLimit full(4096);
    r = fw::WriteFileAtomic(path, std::string(100000, 'n'));
  }
  EXPECT_EQ(r.error, fw::FileError::diskFull);
  EXPECT_EQ(ReadFileBytes(path), "short");
  EXPECT_EQ(QDir(cwd.path()).entryList(QDir::Files), QStringList{"keep.txt"});
}

TEST(WriteFileAtomic, ReadOnlyFolderWithAWritableFileWritesInPlace) {
  // Root writes anywhere, so the write is made by an ordinary user.
  ScopedTempCwd cwd;
  const QString dir = cwd.file("locked");
  ASSERT_TRUE(QDir(cwd.path()).mkdir("locked"));
  const QString path = dir + "/notes.txt";
  WriteFileBytes(path, "old");
  const uid_t nobody = 65534;
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), nobody, nobody), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(cwd.path()).constData(), 0755), 0);
  }
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0555), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0)) ::_exit(99);
    const fw::FileResult r = fw::WriteFileAtomic(path, "new text");
    ::_exit(r.ok() ? 0 : 10 + static_cast<int>(r.error));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::chmod(QFile::encodeName(dir).constData(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(path), "new text");
  EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"notes.txt"});
}

TEST(FileErrorMessage, NamesTheFullPathInTheFrameworkStyle) {
  ScopedTempCwd cwd;
  const QString full = cwd.file("a.txt");
  EXPECT_EQ(fw::FileErrorMessage(fw::FileError::fileNotFound, "a.txt"), QStringLiteral("未找到 %1。").arg(full));
  EXPECT_EQ(fw::FileErrorMessage(fw::FileError::diskFull, full), QStringLiteral("磁盘已满，无法写入 %1。").arg(full));
  EXPECT_EQ(fw::FileErrorMessage(fw::FileError::tooLarge, full), QStringLiteral("该文件太大，无法打开。"));
}

TEST(Archive, StringFormRoundTripsAtEveryLengthBoundary) {
  for (std::size_t n : {0u, 1u, 254u, 255u, 0xFFFDu, 0xFFFEu, 0xFFFFu, 70000u}) {
    SCOPED_TRACE(n);
    fw::CArchive out(fw::CArchive::store);
    out.WriteString(std::string(n, 'a'));
    const std::string& bytes = out.Buffer();
    const std::size_t prefix = n < 255 ? 1 : n < 0xFFFE ? 3 : 7;
    EXPECT_EQ(bytes.size(), prefix + n);
    fw::CArchive in(fw::CArchive::load, bytes);
    EXPECT_EQ(in.ReadString(), std::string(n, 'a'));
    EXPECT_TRUE(in.Remaining().empty());
  }
  fw::CArchive empty(fw::CArchive::store);
  empty.WriteString("");
  EXPECT_EQ(empty.Buffer(), std::string(1, '\0'));
  fw::CArchive truncated(fw::CArchive::load, std::string("\x05" "abc"));
  EXPECT_THROW(truncated.ReadString(), fw::CArchiveException);
  fw::CArchive nothing(fw::CArchive::load, std::string());
  EXPECT_THROW(nothing.ReadString(), fw::CArchiveException);
}

}  // namespace
