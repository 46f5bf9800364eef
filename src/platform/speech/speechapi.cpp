#include "platform/speech/speechapi.h"

#include "platform/speech/espeakbackend.h"
#include "platform/speech/spvoice.h"
#include "platform/speech/tokens.h"

#include <cstdlib>

namespace speech {

namespace {
thread_local int t_nInits = 0;
}

HRESULT CoInitialize(void* pvReserved) {
  if (pvReserved) return E_INVALIDARG;
  return t_nInits++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (t_nInits > 0) --t_nInits;
}

int CoInitializeCount() { return t_nInits; }

void* CoTaskMemAlloc(std::size_t cb) { return std::malloc(cb ? cb : 1); }

void CoTaskMemFree(void* pv) { std::free(pv); }

char16_t* CoTaskMemStrDup(std::u16string_view text) {
  auto* p = static_cast<char16_t*>(CoTaskMemAlloc((text.size() + 1) * sizeof(char16_t)));
  if (!p) return nullptr;
  std::copy(text.begin(), text.end(), p);
  p[text.size()] = 0;
  return p;
}

HRESULT CoCreateInstance(const GUID& rclsid, IUnknown* pUnkOuter, std::uint32_t dwClsContext,
                         const GUID& riid, void** ppv) {
  (void)dwClsContext;
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (t_nInits == 0) return CO_E_NOTINITIALIZED;
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  IUnknown* object = nullptr;
  if (rclsid == CLSID_SpVoice) {
    // Cheap: the synthesisers and the sound device open on the first Speak.
    object = new CSpVoice();
  } else if (rclsid == CLSID_SpObjectTokenCategory) {
    object = new CSpObjectTokenCategory();
  } else {
    return REGDB_E_CLASSNOTREG;
  }
  const HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}

}  // namespace speech
