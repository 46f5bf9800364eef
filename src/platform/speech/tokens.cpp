#include "platform/speech/tokens.h"

#include "platform/speech/synthbackend.h"

#include <QString>

#include <algorithm>

namespace speech {

namespace {

constexpr std::u16string_view kTokensPart = u"\\Tokens\\";

std::u16string Lower(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return out;
}

std::u16string FromUtf8(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toStdU16String();
}

struct SLanguage {
  const char* code;  // a language, or a language and region
  const char16_t* langId;
  const char16_t* chinese;
};

// The languages a Chinese learner is likely to pick, with their ids.
constexpr SLanguage kLanguages[] = {
    {"en-us", u"409", u"美国英语"}, {"en-gb", u"809", u"英国英语"},
    {"en", u"409", u"英语"},        {"cmn", u"804", u"普通话"},
    {"yue", u"C04", u"粤语"},       {"hak", nullptr, u"客家话"},
    {"ja", u"411", u"日语"},        {"ko", u"412", u"韩语"},
    {"fr", u"40C", u"法语"},        {"de", u"407", u"德语"},
    {"es", u"C0A", u"西班牙语"},    {"ru", u"419", u"俄语"},
    {"it", u"410", u"意大利语"},    {"pt-br", u"416", u"巴西葡萄牙语"},
    {"pt", u"816", u"葡萄牙语"},    {"vi", u"42A", u"越南语"},
    {"th", u"41E", u"泰语"},        {"ar", u"401", u"阿拉伯语"},
    {"nl", u"413", u"荷兰语"},      {"el", u"408", u"希腊语"},
    {"hi", u"439", u"印地语"},
};

const SLanguage* FindLanguage(std::string_view lang) {
  for (const SLanguage& l : kLanguages) {
    const std::string_view code = l.code;
    if (lang == code ||
        (lang.size() > code.size() && lang.substr(0, code.size()) == code && lang[code.size()] == '-'))
      return &l;
  }
  return nullptr;
}

template <class Map>
HRESULT Lookup(const Map& map, const char16_t* pszName, char16_t** ppszValue) {
  if (!ppszValue) return E_POINTER;
  *ppszValue = nullptr;
  const auto it = map.find(Lower(pszName ? pszName : u""));
  if (it == map.end()) return SPERR_NOT_FOUND;
  *ppszValue = CoTaskMemStrDup(it->second);
  return *ppszValue ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

CSpObjectToken::CSpObjectToken(std::u16string strCategory, std::u16string strName)
    : m_strCategory(std::move(strCategory)), m_strName(std::move(strName)) {}

HRESULT CSpObjectToken::QueryInterface(const GUID& riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  if (riid != IID_IUnknown && riid != IID_ISpObjectToken) return E_NOINTERFACE;
  AddRef();
  *ppvObject = static_cast<ISpObjectToken*>(this);
  return S_OK;
}

HRESULT CSpObjectToken::GetId(char16_t** ppszCoMemTokenId) {
  if (!ppszCoMemTokenId) return E_POINTER;
  *ppszCoMemTokenId = CoTaskMemStrDup(m_strCategory + std::u16string(kTokensPart) + m_strName);
  return *ppszCoMemTokenId ? S_OK : E_OUTOFMEMORY;
}

HRESULT CSpObjectToken::GetStringValue(const char16_t* pszValueName, char16_t** ppszValue) {
  return Lookup(m_values, pszValueName, ppszValue);
}

HRESULT CSpObjectToken::GetAttribute(const char16_t* pszAttribute, char16_t** ppszValue) {
  if (!pszAttribute || !*pszAttribute) return E_INVALIDARG;
  return Lookup(m_attributes, pszAttribute, ppszValue);
}

void CSpObjectToken::SetValue(std::u16string_view name, std::u16string value) {
  m_values[Lower(name)] = std::move(value);
}

void CSpObjectToken::SetAttribute(std::u16string_view name, std::u16string value) {
  m_attributes[Lower(name)] = std::move(value);
}

int CSpObjectToken::CountMatches(std::u16string_view filter, bool* pAllMatched) const {
  int matches = 0;
  bool all = true;
  while (!filter.empty()) {
    const std::size_t semi = filter.find(u';');
    const std::u16string_view item = filter.substr(0, semi);
    filter = semi == std::u16string_view::npos ? std::u16string_view() : filter.substr(semi + 1);
    if (item.empty()) continue;
    const std::size_t eq = item.find(u'=');
    const std::u16string name = Lower(item.substr(0, eq));
    const auto it = m_attributes.find(name);
    bool match = it != m_attributes.end();
    if (match && eq != std::u16string_view::npos) {
      // "Language=804" matches "409;804": any entry of a list.
      const std::u16string want = Lower(item.substr(eq + 1));
      std::u16string_view have = it->second;
      match = false;
      while (!match) {
        const std::size_t s = have.find(u';');
        match = Lower(have.substr(0, s)) == want;
        if (s == std::u16string_view::npos) break;
        have = have.substr(s + 1);
      }
    }
    if (match)
      ++matches;
    else
      all = false;
  }
  if (pAllMatched) *pAllMatched = all;
  return matches;
}

std::optional<std::string> VoiceIdentifierOf(ISpObjectToken* pToken) {
  if (!pToken) return std::nullopt;
  char16_t* id = nullptr;
  if (FAILED(pToken->GetId(&id)) || !id) return std::nullopt;
  const std::u16string full(id);
  CoTaskMemFree(id);
  const std::u16string prefix = Lower(std::u16string(SPCAT_VOICES) + std::u16string(kTokensPart));
  if (full.size() <= prefix.size() || Lower(full.substr(0, prefix.size())) != prefix) return std::nullopt;
  const std::u16string name = full.substr(prefix.size());
  if (Lower(name) == Lower(kDefaultVoiceToken)) return std::string();
  return QString::fromStdU16String(name).toStdString();
}

CRef<CSpObjectToken> MakeDefaultVoiceToken() {
  auto* def = new CSpObjectToken(SPCAT_VOICES, kDefaultVoiceToken);
  // The settings box preselects the first name in sorted order; the leading
  // bracket sorts this voice before every language, so OK there keeps a
  // voice that reads English and Chinese instead of switching to Afrikaans.
  def->SetValue(u"", u"(Default) natural English and Mandarin, by script");
  def->SetValue(u"409", u"(Default) natural English and Mandarin, by script");
  def->SetValue(u"804", u"（默认）自然英语女声和普通话，按文字自动切换");
  def->SetAttribute(u"Name", u"Default");
  def->SetAttribute(u"Language", u"409;804");
  def->SetAttribute(u"Vendor", u"Lexiphon");
  CRef<CSpObjectToken> ref;
  ref.Attach(def);
  return ref;
}

std::vector<CRef<CSpObjectToken>> MakeVoiceTokens() {
  std::vector<CRef<CSpObjectToken>> tokens;
  tokens.push_back(MakeDefaultVoiceToken());
  // The natural English voices first: after the default, what a learner wants.
  for (ISynthBackend* backend : {&FliteBackend(), &EspeakBackend()}) {
    if (!backend->Start()) continue;
    for (const SVoiceInfo& v : backend->Voices()) {
      auto* token = new CSpObjectToken(SPCAT_VOICES, FromUtf8(v.strIdentifier));
      const std::u16string name = FromUtf8(v.strName);
      token->SetValue(u"", name);
      token->SetValue(u"409", name);  // the synthesisers name their voices in English
      token->SetAttribute(u"Name", name);
      token->SetAttribute(u"Vendor", v.strVendor);
      if (v.nGender == 1) token->SetAttribute(u"Gender", u"Male");
      if (v.nGender == 2) token->SetAttribute(u"Gender", u"Female");
      if (v.nAge > 0) token->SetAttribute(u"Age", FromUtf8(std::to_string(v.nAge)));
      const SLanguage* lang = FindLanguage(v.strLanguage);
      if (!v.strChinese.empty())
        token->SetValue(u"804", v.strChinese);
      else if (lang)
        token->SetValue(u"804", std::u16string(lang->chinese) + u"（" + name + u"）");
      if (lang && lang->langId) token->SetAttribute(u"Language", lang->langId);
      CRef<CSpObjectToken> ref;
      ref.Attach(token);
      tokens.push_back(std::move(ref));
    }
  }
  return tokens;
}

CEnumSpObjectTokens::CEnumSpObjectTokens(std::vector<CRef<ISpObjectToken>> tokens)
    : m_tokens(std::move(tokens)) {}

HRESULT CEnumSpObjectTokens::QueryInterface(const GUID& riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  if (riid != IID_IUnknown && riid != IID_IEnumSpObjectTokens) return E_NOINTERFACE;
  AddRef();
  *ppvObject = static_cast<IEnumSpObjectTokens*>(this);
  return S_OK;
}

HRESULT CEnumSpObjectTokens::Next(std::uint32_t celt, ISpObjectToken** pelt, std::uint32_t* pceltFetched) {
  if (!pelt || (celt != 1 && !pceltFetched)) return E_POINTER;
  std::uint32_t fetched = 0;
  while (fetched < celt && m_nNext < m_tokens.size()) {
    ISpObjectToken* token = m_tokens[m_nNext++].get();
    token->AddRef();
    pelt[fetched++] = token;
  }
  if (pceltFetched) *pceltFetched = fetched;
  return fetched == celt ? S_OK : S_FALSE;
}

HRESULT CEnumSpObjectTokens::Skip(std::uint32_t celt) {
  const std::size_t left = m_tokens.size() - m_nNext;
  m_nNext += std::min<std::size_t>(celt, left);
  return celt <= left ? S_OK : S_FALSE;
}

HRESULT CEnumSpObjectTokens::Reset() {
  m_nNext = 0;
  return S_OK;
}

HRESULT CEnumSpObjectTokens::GetCount(std::uint32_t* pulCount) {
  if (!pulCount) return E_POINTER;
  *pulCount = static_cast<std::uint32_t>(m_tokens.size());
  return S_OK;
}

HRESULT CEnumSpObjectTokens::Item(std::uint32_t Index, ISpObjectToken** ppToken) {
  if (!ppToken) return E_POINTER;
  *ppToken = nullptr;
  if (Index >= m_tokens.size()) return SPERR_NO_MORE_ITEMS;
  *ppToken = m_tokens[Index].get();
  (*ppToken)->AddRef();
  return S_OK;
}

HRESULT CSpObjectTokenCategory::QueryInterface(const GUID& riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  *ppvObject = nullptr;
  if (riid != IID_IUnknown && riid != IID_ISpObjectTokenCategory) return E_NOINTERFACE;
  AddRef();
  *ppvObject = static_cast<ISpObjectTokenCategory*>(this);
  return S_OK;
}

HRESULT CSpObjectTokenCategory::SetId(const char16_t* pszCategoryId, bool fCreateIfNotExist) {
  if (!pszCategoryId) return E_POINTER;
  const bool voices = Lower(pszCategoryId) == Lower(SPCAT_VOICES);
  // Categories other than the voices hold nothing; made on request only.
  if (!voices && !fCreateIfNotExist) return SPERR_NOT_FOUND;
  m_strId = pszCategoryId;
  m_bVoices = voices;
  m_bSet = true;
  return S_OK;
}

HRESULT CSpObjectTokenCategory::GetId(char16_t** ppszCoMemCategoryId) {
  if (!ppszCoMemCategoryId) return E_POINTER;
  *ppszCoMemCategoryId = nullptr;
  if (!m_bSet) return SPERR_UNINITIALIZED;
  *ppszCoMemCategoryId = CoTaskMemStrDup(m_strId);
  return *ppszCoMemCategoryId ? S_OK : E_OUTOFMEMORY;
}

HRESULT CSpObjectTokenCategory::EnumTokens(const char16_t* pszReqAttribs, const char16_t* pszOptAttribs,
                                           IEnumSpObjectTokens** ppEnum) {
  if (!ppEnum) return E_POINTER;
  *ppEnum = nullptr;
  if (!m_bSet) return SPERR_UNINITIALIZED;
  struct SRanked {
    CRef<ISpObjectToken> token;
    int nOptional;
  };
  std::vector<SRanked> ranked;
  if (m_bVoices) {
    for (CRef<CSpObjectToken>& t : MakeVoiceTokens()) {
      bool all = true;
      if (pszReqAttribs) t->CountMatches(pszReqAttribs, &all);
      if (!all) continue;
      const int optional = pszOptAttribs ? t->CountMatches(pszOptAttribs, nullptr) : 0;
      ranked.push_back({CRef<ISpObjectToken>(t.get()), optional});
    }
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const SRanked& a, const SRanked& b) { return a.nOptional > b.nOptional; });
  std::vector<CRef<ISpObjectToken>> tokens;
  for (SRanked& r : ranked) tokens.push_back(std::move(r.token));
  *ppEnum = new CEnumSpObjectTokens(std::move(tokens));
  return S_OK;
}

}  // namespace speech
