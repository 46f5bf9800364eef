#pragma once
// Voice tokens: one for every installed synthesiser voice, after one for the
// default voice (English and Mandarin by script). A token's default value and
// its value "409" (English (United States)) are the voice's English name;
// the value "804" (Chinese (PRC)) is a Chinese description where we have
// one, so a Chinese interface lists voices in Chinese and falls back to the
// name otherwise.
#include "platform/speech/speechapi.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace speech {

class CSpObjectToken : public CUnknownImpl<ISpObjectToken> {
 public:
  // sName: the token's own name after "\Tokens\"; for a synthesiser voice,
  // its identifier.
  CSpObjectToken(std::u16string strCategory, std::u16string strName);

  HRESULT QueryInterface(const GUID& riid, void** ppvObject) override;
  HRESULT GetId(char16_t** ppszCoMemTokenId) override;
  HRESULT GetStringValue(const char16_t* pszValueName, char16_t** ppszValue) override;
  HRESULT GetAttribute(const char16_t* pszAttribute, char16_t** ppszValue) override;

  void SetValue(std::u16string_view name, std::u16string value);
  void SetAttribute(std::u16string_view name, std::u16string value);
  const std::u16string& Name() const { return m_strName; }
  // True when every "Name=Value" of the filter matches (a ";"-list attribute
  // matches any of its entries); counts the matches for optional filters.
  int CountMatches(std::u16string_view filter, bool* pAllMatched) const;

 private:
  std::u16string m_strCategory;
  std::u16string m_strName;
  std::map<std::u16string, std::u16string> m_values;      // by lower-case name
  std::map<std::u16string, std::u16string> m_attributes;  // by lower-case name
};

// The token name of the default voice.
inline constexpr char16_t kDefaultVoiceToken[] = u"Default";
// The synthesiser voice a token stands for ("" for the default voice);
// nothing when the token is not one of the voice category's.
std::optional<std::string> VoiceIdentifierOf(ISpObjectToken* pToken);

class CEnumSpObjectTokens : public CUnknownImpl<IEnumSpObjectTokens> {
 public:
  explicit CEnumSpObjectTokens(std::vector<CRef<ISpObjectToken>> tokens);
  HRESULT QueryInterface(const GUID& riid, void** ppvObject) override;
  HRESULT Next(std::uint32_t celt, ISpObjectToken** pelt, std::uint32_t* pceltFetched) override;
  HRESULT Skip(std::uint32_t celt) override;
  HRESULT Reset() override;
  HRESULT GetCount(std::uint32_t* pulCount) override;
  HRESULT Item(std::uint32_t Index, ISpObjectToken** ppToken) override;

 private:
  std::vector<CRef<ISpObjectToken>> m_tokens;
  std::size_t m_nNext = 0;
};

class CSpObjectTokenCategory : public CUnknownImpl<ISpObjectTokenCategory> {
 public:
  HRESULT QueryInterface(const GUID& riid, void** ppvObject) override;
  HRESULT SetId(const char16_t* pszCategoryId, bool fCreateIfNotExist) override;
  HRESULT GetId(char16_t** ppszCoMemCategoryId) override;
  HRESULT EnumTokens(const char16_t* pszReqAttribs, const char16_t* pszOptAttribs,
                     IEnumSpObjectTokens** ppEnum) override;

 private:
  std::u16string m_strId;
  bool m_bVoices = false;
  bool m_bSet = false;
};

// The voice category's tokens, newly made: the default voice's first.
std::vector<CRef<CSpObjectToken>> MakeVoiceTokens();
CRef<CSpObjectToken> MakeDefaultVoiceToken();

}  // namespace speech
