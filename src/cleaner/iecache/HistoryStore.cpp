#include "cleaner/iecache/HistoryStore.h"

#include <objbase.h>
#include <urlhist.h>

#include <cstdio>
#include <string>

#include "base/Com.h"
#include "base/Errors.h"
#include "base/Handles.h"

namespace purgelet {

namespace {
// The URL history store; the MinGW headers name its interface but not the class.
constexpr CLSID kClsidCUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};

// The system's text for a COM failure, as the standard error box shows it.
std::string ComErrorText(HRESULT hr) {
    std::string text = SystemMessage(static_cast<unsigned long>(hr));
    if (text.empty()) {
        char fallback[32];
        std::snprintf(fallback, sizeof(fallback), "OLE error %08lX", static_cast<unsigned long>(hr));
        text = fallback;
    }
    return text;
}

}  // namespace

void ClearUrlHistoryStore(const Platform& platform) {
    ComApartment com;
    ComPtr<IUrlHistoryStg2> store;
    const HRESULT hr = platform.createComObject(kClsidCUrlHistory, IID_IUrlHistoryStg2, store.Receive());
    if (FAILED(hr) || !store) throw Error(ComErrorText(FAILED(hr) ? hr : E_NOINTERFACE));
    store->ClearHistory();
}

}  // namespace purgelet
