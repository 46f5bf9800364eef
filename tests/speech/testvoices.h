#pragma once
// Voice tokens and a token category whose contents and answers a test
// decides, for the voice list and the settings box.
#include "platform/speech/tokens.h"

#include <map>
#include <string>
#include <vector>

namespace speech_testing {

using namespace speech;

inline std::uint32_t Refs(IUnknown* p) {
  p->AddRef();
  return p->Release();
}

// A token named strDefault (its default value unless empty) with more values.
inline CRef<ISpObjectToken> Token(const std::u16string& strDefault,
                                  const std::map<std::u16string, std::u16string>& values = {}) {
  auto* token = new CSpObjectToken(u"Test", strDefault);
  if (!strDefault.empty()) token->SetValue(u"", strDefault);
  for (const auto& [name, value] : values) token->SetValue(name, value);
  CRef<ISpObjectToken> ref;
  ref.Attach(token);
  return ref;
}

class CTestCategory : public CUnknownImpl<ISpObjectTokenCategory> {
 public:
  HRESULT QueryInterface(const GUID&, void**) override { return E_NOINTERFACE; }
  HRESULT SetId(const char16_t* pszId, bool fCreate) override {
    m_strId = pszId;
    m_bCreate = fCreate;
    return m_hrSetId;
  }
  HRESULT GetId(char16_t** pp) override {
    *pp = CoTaskMemStrDup(m_strId);
    return S_OK;
  }
  // Hands out an enumerator unless m_hrEnum is a failure.
  HRESULT EnumTokens(const char16_t* pszReq, const char16_t* pszOpt, IEnumSpObjectTokens** ppEnum) override {
    m_strFilters = std::u16string(pszReq ? pszReq : u"") + u"|" + (pszOpt ? pszOpt : u"");
    *ppEnum = FAILED(m_hrEnum) ? nullptr : new CEnumSpObjectTokens(m_tokens);
    return m_hrEnum;
  }

  std::vector<CRef<ISpObjectToken>> m_tokens;
  HRESULT m_hrSetId = S_OK;
  HRESULT m_hrEnum = S_OK;
  std::u16string m_strId, m_strFilters;
  bool m_bCreate = true;
};

}  // namespace speech_testing
