#pragma once
// The framework's serialization archive over an in-memory buffer: a document
// stores into it and the framework writes the buffer to disk in one go (or
// loads the whole file first and the document reads from it).
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace fw {

class CArchiveException : public std::runtime_error {
 public:
  CArchiveException() : std::runtime_error("unexpected end of archive") {}
};

class CArchive {
 public:
  enum Mode { store, load };

  explicit CArchive(Mode mode) : m_mode(mode) {}
  CArchive(Mode mode, std::string bytes) : m_mode(mode), m_buf(std::move(bytes)) {}

  bool IsStoring() const { return m_mode == store; }
  bool IsLoading() const { return m_mode == load; }

  void Write(std::string_view bytes) { m_buf.append(bytes); }
  // The archive string form: a length prefix (1 byte below 255, 0xFF plus 2
  // bytes below 0xFFFF, 0xFF 0xFFFF plus 4 bytes beyond), then the bytes.
  void WriteString(std::string_view s);

  // Loading: the bytes not read yet; ReadString throws CArchiveException
  // when the archive ends early.
  std::string_view Remaining() const { return std::string_view(m_buf).substr(m_pos); }
  void Skip(std::size_t n) { m_pos += std::min(n, m_buf.size() - m_pos); }
  std::string ReadString();

  const std::string& Buffer() const { return m_buf; }

 private:
  unsigned long ReadLength(std::size_t width);

  Mode m_mode;
  std::string m_buf;
  std::size_t m_pos = 0;
};

}  // namespace fw
