// Accessible descriptions through IAccPropServices, the annotation of a
// window's own accessible object that every screen reader reads.
#include "accessibility.h"

#include "win32.h"

namespace lumivar::win32 {

AccessibleDescriptions::AccessibleDescriptions()
{
    IAccPropServices* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                   reinterpret_cast<void**>(&services)))) {
        m_services.reset(services);
    }
}

AccessibleDescriptions::~AccessibleDescriptions()
{
    if (!m_services) {
        return;
    }
    MSAAPROPID property = PROPID_ACC_DESCRIPTION;
    for (HWND window : m_described) {
        m_services->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &property, 1);
    }
}

void AccessibleDescriptions::describe(HWND window, std::string_view description)
{
    if (!m_services || description.empty()) {
        return;
    }
    if (SUCCEEDED(m_services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                             PROPID_ACC_DESCRIPTION, widen(description).c_str()))) {
        m_described.push_back(window);
    }
}

} // namespace lumivar::win32
