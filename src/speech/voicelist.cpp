#include "speech/voicelist.h"

#include "text/codepage.h"

#include <QByteArray>
#include <QLocale>
#include <QStringView>

#include <algorithm>
#include <cctype>
#include <iterator>

namespace speech {

namespace {

std::function<HRESULT(ISpObjectTokenCategory**)>& CategoryFactory() {
  static std::function<HRESULT(ISpObjectTokenCategory**)> factory;
  return factory;
}

struct SLocaleLangId {
  const char* name;  // language, or language_TERRITORY
  std::uint16_t nLangId;
};

// The languages our users are likely to run under. A language alone stands
// for its main territory.
constexpr SLocaleLangId kLocaleLangIds[] = {
    {"zh_CN", 0x0804}, {"zh_SG", 0x1004}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_MO", 0x1404},
    {"zh", 0x0804},    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
    {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_HK", 0x3C09}, {"en_IN", 0x4009},
    {"en_SG", 0x4809}, {"en", 0x0409},    {"ja", 0x0411},    {"ko", 0x0412},    {"fr_BE", 0x080C},
    {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr", 0x040C},    {"de_CH", 0x0807}, {"de_AT", 0x0C07},
    {"de", 0x0407},    {"es_MX", 0x080A}, {"es", 0x0C0A},    {"it", 0x0410},    {"pt_BR", 0x0416},
    {"pt", 0x0816},    {"ru", 0x0419},    {"nl_BE", 0x0813}, {"nl", 0x0413},    {"sv", 0x041D},
    {"da", 0x0406},    {"nb", 0x0414},    {"no", 0x0414},    {"nn", 0x0814},    {"fi", 0x040B},
    {"pl", 0x0415},    {"cs", 0x0405},    {"sk", 0x041B},    {"hu", 0x040E},    {"ro", 0x0418},
    {"el", 0x0408},    {"tr", 0x041F},    {"uk", 0x0422},    {"bg", 0x0402},    {"he", 0x040D},
    {"ar", 0x0401},    {"fa", 0x0429},    {"th", 0x041E},    {"vi", 0x042A},    {"id", 0x0421},
    {"ms", 0x043E},    {"hi", 0x0439},    {"mn", 0x0450},    {"bo", 0x0451},    {"ug", 0x0480},
};

std::uint16_t FindLangId(const std::string& name) {
  for (const SLocaleLangId& l : kLocaleLangIds)
    if (name == l.name) return l.nLangId;
  return 0;
}

// "C", "POSIX" and "C.UTF-8" have no language; unset means C too.
bool IsCLocale(std::string_view locale) {
  return locale.empty() || locale == "C" || locale == "POSIX" || locale.substr(0, 2) == "C.";
}

std::string Env(const char* name) { return qgetenv(name).toStdString(); }

}  // namespace

std::uint16_t LangIdOfLocale(std::string_view strLocale) {
  // language[_territory][.codeset][@modifier]; a dash is taken as the
  // separator too ("zh-CN").
  std::string language, territory;
  std::size_t i = 0;
  for (; i < strLocale.size() && std::isalpha(static_cast<unsigned char>(strLocale[i])); ++i)
    language += static_cast<char>(std::tolower(static_cast<unsigned char>(strLocale[i])));
  if (i < strLocale.size() && (strLocale[i] == '_' || strLocale[i] == '-'))
    for (++i; i < strLocale.size() && std::isalpha(static_cast<unsigned char>(strLocale[i])); ++i)
      territory += static_cast<char>(std::toupper(static_cast<unsigned char>(strLocale[i])));
  if (language.empty() || IsCLocale(strLocale)) return 0;
  if (!territory.empty())
    if (const std::uint16_t id = FindLangId(language + '_' + territory)) return id;
  return FindLangId(language);
}

std::uint16_t GetUserDefaultLangID() {
  const std::uint16_t id = LangIdOfLocale(QLocale::system().name().toStdString());
  return id ? id : 0x0409;
}

std::uint16_t DetermineUiLanguage() {
  std::string messages;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    messages = Env(name);
    if (!messages.empty()) break;
  }
  // LANGUAGE is a list of preferences that a C locale overrides.
  if (!IsCLocale(messages)) {
    const QByteArray preferences = qgetenv("LANGUAGE");
    for (const QByteArray& entry : preferences.split(':'))
      if (const std::uint16_t id = LangIdOfLocale(entry.toStdString())) return id;
  }
  if (const std::uint16_t id = LangIdOfLocale(messages)) return id;
  return GetUserDefaultLangID();
}

void FormatLangIdHex(char16_t (&szName)[10], std::uint32_t nValue) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  // Digits come lowest first: fill from the back, then move to the front.
  char16_t szDigits[10];
  std::size_t nPos = std::size(szDigits);
  szDigits[--nPos] = 0;
  do {
    szDigits[--nPos] = kDigits[nValue & 0xF];
    nValue >>= 4;
  } while (nValue != 0);
  std::copy(szDigits + nPos, std::end(szDigits), szName);
}

HRESULT GetTokenDescription(ISpObjectToken* pToken, std::uint16_t nLangId, char16_t** ppszDescription) {
  if (!pToken || !ppszDescription) return E_POINTER;
  char16_t szLangId[10];
  FormatLangIdHex(szLangId, nLangId);
  HRESULT hr = pToken->GetStringValue(szLangId, ppszDescription);
  // Only a missing value falls back; any other failure is the answer.
  if (hr == SPERR_NOT_FOUND) hr = pToken->GetStringValue(nullptr, ppszDescription);
  return hr;
}

HRESULT OpenVoiceCategory(const char16_t* pszCatName, bool fCreateIfNotExist,
                          ISpObjectTokenCategory** ppCategory) {
  if (!ppCategory) return E_POINTER;
  *ppCategory = nullptr;
  CRef<ISpObjectTokenCategory> pCategory;
  HRESULT hr = CategoryFactory()
                   ? CategoryFactory()(&pCategory)
                   : CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL,
                                      IID_ISpObjectTokenCategory, reinterpret_cast<void**>(&pCategory));
  if (SUCCEEDED(hr)) hr = pCategory->SetId(pszCatName, fCreateIfNotExist);
  if (SUCCEEDED(hr)) *ppCategory = pCategory.Detach();
  return hr;
}

std::string TokenIdOf(ISpObjectToken* pToken) {
  char16_t* pszId = nullptr;
  if (!pToken || FAILED(pToken->GetId(&pszId)) || !pszId) return {};
  const std::string id = QStringView(pszId).toUtf8().toStdString();
  CoTaskMemFree(pszId);
  return id;
}

HRESULT FindVoiceToken(const char16_t* pszCatName, const std::string& strId, ISpObjectToken** ppToken) {
  if (!ppToken) return E_POINTER;
  *ppToken = nullptr;
  if (strId.empty()) return SPERR_NOT_FOUND;
  CRef<IEnumSpObjectTokens> pEnum;
  {
    CRef<ISpObjectTokenCategory> pCategory;
    HRESULT hr = OpenVoiceCategory(pszCatName, false, &pCategory);
    if (SUCCEEDED(hr)) hr = pCategory->EnumTokens(nullptr, nullptr, &pEnum);
    if (hr != S_OK || !pEnum) return SPERR_NOT_FOUND;
  }
  ISpObjectToken* pToken = nullptr;
  while (pEnum->Next(1, &pToken, nullptr) == S_OK && pToken) {
    if (TokenIdOf(pToken) == strId) {
      *ppToken = pToken;
      return S_OK;
    }
    pToken->Release();
    pToken = nullptr;
  }
  return SPERR_NOT_FOUND;
}

HRESULT FillVoiceList(const ListAddString& addString, const ListSetItemData& setItemData,
                      const ListSetCurSel& setCurSel, const char16_t* pszCatName, const char16_t* pszReqAttrs,
                      const char16_t* pszOptAttrs) {
  CRef<IEnumSpObjectTokens> pEnum;
  HRESULT hr;
  {
    CRef<ISpObjectTokenCategory> pCategory;
    hr = OpenVoiceCategory(pszCatName, false, &pCategory);
    if (SUCCEEDED(hr)) hr = pCategory->EnumTokens(pszReqAttrs, pszOptAttrs, &pEnum);
  }
  // S_FALSE too: an enumerator that did less is no list to walk.
  if (hr != S_OK || !pEnum) return SPERR_NO_MORE_ITEMS;

  HRESULT hrRunning = S_OK;
  bool bSelected = false;
  ISpObjectToken* pToken = nullptr;
  while (pEnum->Next(1, &pToken, nullptr) == S_OK && pToken) {
    char16_t* pszDescription = nullptr;
    // Asked anew for each voice, as the user may switch languages meanwhile.
    hrRunning = GetTokenDescription(pToken, DetermineUiLanguage(), &pszDescription);
    if (FAILED(hrRunning)) {
      pToken->Release();
    } else {
      const std::string strText =
          pszDescription ? text::FromUnicode(QStringView(pszDescription)) : std::string();
      const int nIndex = addString(strText);
      if (nIndex == CB_ERR || nIndex == CB_ERRSPACE) {
        hrRunning = E_OUTOFMEMORY;
        pToken->Release();
      } else {
        setItemData(nIndex, pToken);
        if (!bSelected) {
          setCurSel(nIndex);
          bSelected = true;
        }
      }
    }
    CoTaskMemFree(pszDescription);
    pToken = nullptr;
  }
  return hrRunning;
}

void SetTokenCategoryFactoryForTesting(std::function<HRESULT(ISpObjectTokenCategory** ppCategory)> factory) {
  CategoryFactory() = std::move(factory);
}

}  // namespace speech
