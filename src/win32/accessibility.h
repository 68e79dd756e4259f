// Accessible descriptions of windows, given to screen readers through the
// system's annotation services (oleacc).
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <memory>
#include <string_view>
#include <vector>

namespace lumivar::win32 {

// A COM object's reference, released with its owner.
struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface> using ComObject = std::unique_ptr<Interface, ComReleaser>;

// COM on this thread for a scope: the annotation services live in it.
class ComApartment {
public:
    ComApartment() : m_entered(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment()
    {
        if (m_entered) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_entered;
};

// The descriptions a window's controls are read with; each taken back when
// this goes, before its windows are gone. Where the system has no annotation
// services, the controls keep their names alone.
class AccessibleDescriptions {
public:
    AccessibleDescriptions();
    ~AccessibleDescriptions();
    AccessibleDescriptions(const AccessibleDescriptions&) = delete;
    AccessibleDescriptions& operator=(const AccessibleDescriptions&) = delete;

    void describe(HWND window, std::string_view description); // UTF-8

private:
    ComObject<IAccPropServices> m_services;
    std::vector<HWND> m_described;
};

} // namespace lumivar::win32
