#include "pageservice/dictionary.h"

#include "text/codepage.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace pageservice {

using namespace dictfile;

CDictionary::~CDictionary() { Close(); }

void CDictionary::Close() {
  if (m_bMapped) munmap(const_cast<char*>(m_pData), m_nSize);
  m_bMapped = false;
  m_pData = nullptr;
  m_nSize = 0;
  m_strOwned.clear();
  m_pHeader = nullptr;
}

bool CDictionary::Open(const std::string& strPath, std::string& error) {
  Close();
  const int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = strPath + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  void* p = MAP_FAILED;
  if (fstat(fd, &st) == 0 && st.st_size > 0) {
    p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  }
  const int mapErrno = errno;
  ::close(fd);
  if (p == MAP_FAILED) {
    error = strPath + ": " + (st.st_size > 0 ? std::strerror(mapErrno) : "empty file");
    return false;
  }
  m_bMapped = true;
  if (!Attach(static_cast<const char*>(p), static_cast<std::size_t>(st.st_size), error)) {
    error = strPath + ": " + error;
    Close();
    return false;
  }
  return true;
}

bool CDictionary::OpenBytes(std::string bytes, std::string& error) {
  Close();
  m_strOwned = std::move(bytes);
  if (!Attach(m_strOwned.data(), m_strOwned.size(), error)) {
    Close();
    return false;
  }
  return true;
}

namespace {

template <class T>
bool Table(const char* pData, std::size_t nSize, std::uint32_t offset, std::uint32_t count,
           std::span<const T>& out) {
  if (offset % alignof(T) != 0 || offset > nSize || (nSize - offset) / sizeof(T) < count) return false;
  out = {reinterpret_cast<const T*>(pData + offset), count};
  return true;
}

bool Inside(const Str& s, std::uint32_t stringsSize) {
  return s.offset <= stringsSize && s.length <= stringsSize - s.offset;
}

}  // namespace

bool CDictionary::Attach(const char* pData, std::size_t nSize, std::string& error) {
  m_pData = pData;
  m_nSize = nSize;
  if (nSize < sizeof(Header) || std::memcmp(pData, kMagic, sizeof kMagic) != 0) {
    error = "not a Lexiphon dictionary file";
    return false;
  }
  const auto* header = reinterpret_cast<const Header*>(pData);
  if (header->version != kVersion) {
    error = "dictionary file of version " + std::to_string(header->version) + ", expected " +
            std::to_string(kVersion);
    return false;
  }
  const bool tables = header->fileSize == nSize &&
                      Table(pData, nSize, header->entriesOffset, header->entryCount, m_entries) &&
                      Table(pData, nSize, header->zhKeysOffset, header->zhKeyCount, m_zhKeys) &&
                      Table(pData, nSize, header->enKeysOffset, header->enKeyCount, m_enKeys) &&
                      Table(pData, nSize, header->candidatesOffset, header->candidateCount, m_candidates) &&
                      header->stringsOffset <= nSize && header->stringsSize <= nSize - header->stringsOffset;
  if (!tables) {
    error = "dictionary file is truncated or damaged";
    return false;
  }
  // Every reference is checked once here, so lookups need no checks.
  const std::uint32_t strings = header->stringsSize;
  bool ok = true;
  for (const Entry& e : m_entries)
    ok = ok && Inside(e.head, strings) && Inside(e.pinyin, strings) && Inside(e.gloss, strings);
  for (const ZhKey& k : m_zhKeys) ok = ok && Inside(k.key, strings) && k.entry < m_entries.size();
  for (const EnKey& k : m_enKeys) {
    ok = ok && Inside(k.key, strings) && k.firstCandidate <= m_candidates.size() &&
         k.candidateCount <= m_candidates.size() - k.firstCandidate;
  }
  for (const Candidate& c : m_candidates) ok = ok && Inside(c.zh, strings);
  if (!ok) {
    error = "dictionary file is damaged";
    return false;
  }
  m_pStrings = pData + header->stringsOffset;
  m_pHeader = header;
  return true;
}

void CDictionary::Matches(std::string_view text, std::size_t pos, std::vector<Match>& out) const {
  out.clear();
  if (!m_pHeader) return;
  const ZhKey* lo = m_zhKeys.data();
  const ZhKey* const end = lo + m_zhKeys.size();
  std::size_t len = 0;
  // Each longer prefix sorts at or after the shorter one, so the search
  // range only shrinks.
  for (std::uint32_t chars = 0; pos + len < text.size() && chars < m_pHeader->maxZhKeyChars; ++chars) {
    len += text::CharLength(text, pos + len);
    const std::string_view prefix = text.substr(pos, len);
    lo = std::lower_bound(lo, end, prefix,
                          [this](const ZhKey& k, std::string_view p) { return Text(k.key) < p; });
    if (lo == end) break;
    const std::string_view key = Text(lo->key);
    if (key == prefix) {
      const Entry& e = m_entries[lo->entry];
      out.push_back({len, {Text(e.head), Text(e.pinyin), Text(e.gloss), e.flags}});
    } else if (!key.starts_with(prefix)) {
      break;
    }
  }
}

std::size_t CDictionary::LongestMatch(std::string_view text, std::size_t pos, Word& word) const {
  thread_local std::vector<Match> matches;
  Matches(text, pos, matches);
  if (matches.empty()) return 0;
  word = matches.back().word;
  return matches.back().length;
}

std::span<const Candidate> CDictionary::Renderings(std::string_view key) const {
  if (!m_pHeader) return {};
  const auto it = std::lower_bound(m_enKeys.begin(), m_enKeys.end(), key,
                                   [this](const EnKey& k, std::string_view p) { return Text(k.key) < p; });
  if (it == m_enKeys.end() || Text(it->key) != key) return {};
  return m_candidates.subspan(it->firstCandidate, it->candidateCount);
}

bool CDictionary::HasKeyWithPrefix(std::string_view prefix) const {
  if (!m_pHeader) return false;
  const auto it = std::lower_bound(m_enKeys.begin(), m_enKeys.end(), prefix,
                                   [this](const EnKey& k, std::string_view p) { return Text(k.key) < p; });
  return it != m_enKeys.end() && Text(it->key).starts_with(prefix);
}

std::string DefaultDictionaryPath() {
  if (const char* env = std::getenv("LEXIPHON_DICTIONARY"); env && *env) return env;
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const std::filesystem::path installed =
        exe.parent_path() / LEX_DICTIONARY_INSTALL_DIR / LEX_DICTIONARY_NAME;
    if (std::filesystem::exists(installed, ec)) return installed.lexically_normal().string();
  }
  return LEX_DICTIONARY_BUILD_PATH;
}

}  // namespace pageservice
