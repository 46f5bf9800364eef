#include "platform/profile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

struct Line {
  std::size_t begin;  // offset of the line in the file
  std::size_t end;    // offset after its line end
  std::string_view text;  // without the line end
};

std::vector<Line> SplitLines(const std::string& data) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t nl = data.find('\n', pos);
    const std::size_t end = nl == std::string::npos ? data.size() : nl + 1;
    std::size_t textEnd = nl == std::string::npos ? data.size() : nl;
    if (textEnd > pos && data[textEnd - 1] == '\r') --textEnd;
    lines.push_back({pos, end, std::string_view(data).substr(pos, textEnd - pos)});
    pos = end;
  }
  return lines;
}

// "[name]" -> name; anything else -> nullopt.
bool SectionName(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return false;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return false;
  name = line.substr(1, close - 1);
  return true;
}

bool KeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';') return false;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = line.substr(0, eq);
  value = Trim(line.substr(eq + 1));
  return true;
}

constexpr qint64 kMaxProfileBytes = 16 << 20;

// The file that path really names: path itself when it is a regular file
// (or, for writing, is not there yet), the target of a link the user owns to
// a regular file the user owns. Anything else (a device, FIFO, socket, a
// planted link) is neither read nor replaced.
bool RegularTarget(const QString& path, QString& target, bool writing) {
  target = path;
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0) return writing && errno == ENOENT;
  if (S_ISREG(st.st_mode)) return true;
  if (!S_ISLNK(st.st_mode) || st.st_uid != ::geteuid()) return false;
  char* real = ::realpath(native.constData(), nullptr);
  if (!real) return false;
  target = QFile::decodeName(real);
  std::free(real);
  struct stat tst {};
  return ::stat(QFile::encodeName(target).constData(), &tst) == 0 && S_ISREG(tst.st_mode) &&
         tst.st_uid == ::geteuid();
}

// False when the file cannot be opened; `complete` says whether all of it was
// read (a rewrite from part of a file would lose the rest).
bool ReadAll(const QString& path, std::string& out, bool* complete = nullptr) {
  QString target;
  if (!RegularTarget(path, target, false)) return false;
  // No following and no waiting: a FIFO swapped in after the check fails
  // here instead of hanging the start.
  const int fd = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  out.clear();
  bool ok = true;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
    if (out.size() >= static_cast<std::size_t>(kMaxProfileBytes)) {
      out.resize(static_cast<std::size_t>(kMaxProfileBytes));
      ok = false;
      break;
    }
  }
  ::close(fd);
  if (complete) *complete = ok;
  return true;
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                                    const QString& path, std::size_t bufSize) {
  std::string data;
  std::string result(def);
  if (ReadAll(path, data)) {
    bool inSection = false;
    for (const Line& line : SplitLines(data)) {
      std::string_view name;
      if (SectionName(line.text, name)) {
        inSection = SameName(name, section);
        continue;
      }
      std::string_view k, v;
      if (inSection && KeyLine(line.text, k, v) && SameName(k, key)) {
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
          v = v.substr(1, v.size() - 2);
        result.assign(v);
        break;
      }
    }
  }
  if (bufSize == 0) return {};
  if (result.size() > bufSize - 1) result.resize(bufSize - 1);
  return result;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const QString& path) {
  std::string data;
  bool complete = true;
  // A file that is there but cannot be read whole is left alone.
  struct stat st {};
  if (!ReadAll(path, data, &complete) && ::lstat(QFile::encodeName(path).constData(), &st) == 0) return false;
  if (!complete) return false;
  const std::vector<Line> lines = SplitLines(data);
  const std::string entry = std::string(key) + "=" + std::string(value);

  bool inSection = false;
  bool found = false;
  std::size_t insertAt = std::string::npos;  // after the section's last non-blank line
  std::size_t replaceBegin = 0, replaceEnd = 0;
  for (const Line& line : lines) {
    std::string_view name;
    if (SectionName(line.text, name)) {
      if (found) break;
      inSection = SameName(name, section);
      if (inSection) {
        found = true;
        insertAt = line.end;
      }
      continue;
    }
    if (!inSection) continue;
    std::string_view k, v;
    if (KeyLine(line.text, k, v) && SameName(k, key)) {
      replaceBegin = line.begin;
      replaceEnd = line.begin + line.text.size();
      insertAt = std::string::npos;
      break;
    }
    if (!Trim(line.text).empty()) insertAt = line.end;
  }

  std::string out;
  if (replaceEnd > replaceBegin) {
    out = data.substr(0, replaceBegin) + entry + data.substr(replaceEnd);
  } else if (found) {
    // A section whose last line has no line end gets one first.
    std::string head = data.substr(0, insertAt);
    if (!head.empty() && head.back() != '\n') head += "\r\n";
    out = head + entry + "\r\n" + data.substr(insertAt);
  } else {
    out = data;
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    out += "[" + std::string(section) + "]\r\n" + entry + "\r\n";
  }

  QString target;
  if (!RegularTarget(path, target, true)) return false;
  // Through a link the target is replaced and the link kept; a read-only
  // folder with a writable file gets the file written in place.
  QSaveFile file(target);
  file.setDirectWriteFallback(true);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(out.data(), static_cast<qint64>(out.size())) != static_cast<qint64>(out.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

int DecimalToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace platform
