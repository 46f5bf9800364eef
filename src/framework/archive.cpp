#include "framework/archive.h"

namespace fw {

namespace {

void AppendLittleEndian(std::string& out, unsigned long value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

void CArchive::WriteString(std::string_view s) {
  const std::size_t n = s.size();
  if (n < 0xFF) {
    AppendLittleEndian(m_buf, n, 1);
  } else if (n < 0xFFFE) {
    AppendLittleEndian(m_buf, 0xFF, 1);
    AppendLittleEndian(m_buf, n, 2);
  } else {
    AppendLittleEndian(m_buf, 0xFF, 1);
    AppendLittleEndian(m_buf, 0xFFFF, 2);
    AppendLittleEndian(m_buf, n, 4);
  }
  m_buf.append(s);
}

unsigned long CArchive::ReadLength(std::size_t width) {
  if (m_buf.size() - m_pos < width) throw CArchiveException();
  unsigned long value = 0;
  for (std::size_t i = 0; i < width; ++i)
    value |= static_cast<unsigned long>(static_cast<unsigned char>(m_buf[m_pos + i])) << (8 * i);
  m_pos += width;
  return value;
}

std::string CArchive::ReadString() {
  unsigned long n = ReadLength(1);
  if (n == 0xFF) {
    n = ReadLength(2);
    if (n == 0xFFFF) n = ReadLength(4);
  }
  if (m_buf.size() - m_pos < n) throw CArchiveException();
  std::string s = m_buf.substr(m_pos, n);
  m_pos += n;
  return s;
}

}  // namespace fw
